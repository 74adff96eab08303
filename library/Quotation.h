#pragma once

#include <QString>

// One quotation as the importer collects it, before it is placed under a subject.
struct Quotation {
    QString text;    // the words quoted; poem lines keep their breaks
    QString author;  // attribution as written after "--"; empty when the source gives none
    QString source;  // fortune file name, "devil", "kjv", "treasury" or "editors"
    QString tag;     // dictionary headword or verse reference, for picking by name
};
