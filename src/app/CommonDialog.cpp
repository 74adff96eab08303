#include "app/CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>

CommonDialog::CommonDialog(QObject *parent)
    : QObject(parent)
{
}

QList<CommonDialog::FilterEntry> CommonDialog::filterEntries() const
{
    QList<FilterEntry> entries;
    const QStringList parts = Filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts.at(i), parts.at(i + 1)});
    return entries;
}

QStringList CommonDialog::nameFilters() const
{
    QStringList filters;
    for (const FilterEntry &e : filterEntries()) {
        QString pattern = e.pattern.trimmed();
#ifndef Q_OS_WIN
        // Outside Windows "*.*" would hide every file without a dot.
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
#endif
        // The dialog reads its patterns from the last brackets of an entry:
        // keep the description as written when its brackets hold the
        // pattern, otherwise add the real pattern.
        const QString desc = e.description.trimmed();
        const qsizetype open = desc.lastIndexOf(QLatin1Char('('));
        const QString inBrackets = open >= 0 && desc.endsWith(QLatin1Char(')'))
                                       ? desc.mid(open + 1, desc.size() - open - 2).simplified()
                                       : QString();
        filters.append(inBrackets == pattern ? desc : QStringLiteral("%1 (%2)").arg(desc, pattern));
    }
    return filters;
}

// The file dialogs take only the filter list, the filter index and the last
// chosen folder from the shared settings: the flags the font command sets
// never reach them, so the open dialog is never read-only and replacing a
// file always asks first.
bool CommonDialog::runFileDialog(QWidget *parent, bool save)
{
    QFileDialog dialog(parent);
    // Qt's own dialog, so that it looks the same everywhere and can be driven in tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setWindowTitle(save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    if (!m_lastFolder.isEmpty() && QFileInfo(m_lastFolder).isDir())
        dialog.setDirectory(m_lastFolder);
    const QStringList filters = nameFilters();
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(FilterIndex - 1));

    FileName.clear();
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        FileName = dialog.selectedFiles().constFirst();
        m_lastFolder = QFileInfo(FileName).absolutePath();
        const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
        if (chosen >= 0)
            FilterIndex = int(chosen) + 1;
    }
    return !FileName.isEmpty();
}

bool CommonDialog::ShowOpen(QWidget *parent)
{
    return runFileDialog(parent, false);
}

bool CommonDialog::ShowSave(QWidget *parent)
{
    return runFileDialog(parent, true);
}
