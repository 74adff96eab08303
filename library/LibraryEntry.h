#pragma once

#include <QString>
#include <QVector>

// One record of a reference table: its subject key and its entry text.
struct LibraryEntry {
    QString key;
    QString text;
};

// One source the content of a database came from, recorded in its Sources table.
struct SourceInfo {
    QString name;
    QString package;
    QString licence;
    QString note;
};
