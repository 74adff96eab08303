#pragma once

#include <QObject>
#include <QRgb>
#include <QString>
#include <QStringList>

class QWidget;

// The one dialog layer the window's file and font commands share: its
// settings (filter list, filter index, file name, flags, cancel-as-error,
// the font choice) stay in force from one use to the next.
class CommonDialog : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommonDialog)

public:
    struct FilterEntry {
        QString description;
        QString pattern;
    };

    explicit CommonDialog(QObject *parent = nullptr);

    // "description|pattern|description|pattern..."
    QString Filter;
    int FilterIndex = 0; // 1-based; 0 = none chosen
    QString FileName;
    bool CancelError = false;
    int Flags = 0;

    // Font dialog results (and its starting values next time).
    QString FontName;
    float FontSize = 0;
    QRgb Color = 0xff000000;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikethru = false;

    // The filter list as description/pattern pairs; a dangling description
    // without a pattern is dropped.
    QList<FilterEntry> filterEntries() const;
    // The pairs as file-dialog type entries, the descriptions as written.
    QStringList nameFilters() const;

    // Modal file dialogs. On return FileName holds the chosen full path, or
    // "" when the user cancelled; the function returns !FileName.isEmpty().
    bool ShowOpen(QWidget *parent);
    bool ShowSave(QWidget *parent);
    // Modal font dialog, opened with its previous result. Returns false
    // when cancelled (the font properties then stay as they were).
    bool ShowFont(QWidget *parent);

private:
    bool runFileDialog(QWidget *parent, bool save);

    QString m_lastFolder; // where the last file was chosen; the next file dialog starts there
};
