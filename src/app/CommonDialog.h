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

    // "description|pattern|description|pattern...", several patterns of
    // one type separated by ";"
    QString Filter;
    int FilterIndex = 0; // 1-based; 0 = none chosen
    QString FileName;
    bool CancelError = false;
    int Flags = 0;

    // Font dialog results (and its starting values next time). A Color
    // without alpha is the automatic colour (see FontDialog).
    QString FontName;
    float FontSize = 0;
    QRgb Color = 0xff000000;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikethru = false;

    // The filter list as description/pattern pairs; a dangling description
    // without a pattern is dropped.
    QList<FilterEntry> filterEntries() const { return filterEntries(Filter); }
    static QList<FilterEntry> filterEntries(const QString &filter);
    // The pairs as file-dialog type entries, the descriptions as written.
    QStringList nameFilters() const { return nameFilters(Filter); }
    static QStringList nameFilters(const QString &filter);
    // The extension a save dialog adds to a name typed without one while
    // this type is chosen: its (first) pattern's, when that is "*.ext"; else "".
    static QString defaultSuffix(const FilterEntry &entry);

    // Modal file dialogs. On return FileName holds the chosen full path, or
    // "" when the user cancelled; the function returns !FileName.isEmpty().
    bool ShowOpen(QWidget *parent);
    bool ShowSave(QWidget *parent);
    // A save dialog with file types of its own ("description|pattern|..."):
    // Filter, FilterIndex and FileName stay as they are. The chosen path,
    // or "" when cancelled.
    QString ShowSaveWithFilter(QWidget *parent, const QString &filter);
    // Modal font dialog, opened with its previous result. Returns false
    // when cancelled (the font properties then stay as they were).
    bool ShowFont(QWidget *parent);

private:
    // The chosen path ("" when cancelled); *filterIndex goes in as the type
    // to start on and comes out as the type chosen.
    QString runFileDialog(QWidget *parent, bool save, const QString &filter, int *filterIndex);

    QString m_lastFolder; // where the last file was chosen; the next file dialog starts there
};
