#include "app/CommonDialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

CommonDialog::CommonDialog(QObject *parent)
    : QObject(parent)
{
}

QList<CommonDialog::FilterEntry> CommonDialog::filterEntries(const QString &filter)
{
    QList<FilterEntry> entries;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts.at(i), parts.at(i + 1)});
    return entries;
}

QStringList CommonDialog::nameFilters(const QString &filter)
{
    QStringList filters;
    for (const FilterEntry &e : filterEntries(filter)) {
        // Several patterns are separated by semicolons in the filter text,
        // by spaces in the dialog's.
        QStringList patterns = e.pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
#ifndef Q_OS_WIN
            // Outside Windows "*.*" would hide every file without a dot.
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
#endif
        }
        const QString pattern = patterns.join(QLatin1Char(' '));
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

QString CommonDialog::defaultSuffix(const FilterEntry &entry)
{
    const QString pattern = entry.pattern.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!pattern.startsWith(QLatin1String("*.")))
        return {};
    const QString suffix = pattern.mid(2);
    const bool plain = !suffix.isEmpty() && std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == u'_' || c == u'-';
    });
    return plain ? suffix : QString();
}

// The file dialogs take only the filter list, the filter index and the last
// chosen folder from the shared settings: the flags the font command sets
// never reach them, so the open dialog is never read-only and replacing a
// file always asks first.
QString CommonDialog::runFileDialog(QWidget *parent, bool save, const QString &filter, int *filterIndex)
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
    const QList<FilterEntry> entries = filterEntries(filter);
    const QStringList filters = nameFilters(filter);
    dialog.setNameFilters(filters);
    if (*filterIndex >= 1 && *filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(*filterIndex - 1));
    if (save) {
        // A name typed without an extension gets the chosen type's, so that
        // the file shows under that type; the overwrite question names it.
        auto followType = [&dialog, &filters, &entries](const QString &chosen) {
            const qsizetype i = filters.indexOf(chosen);
            dialog.setDefaultSuffix(i >= 0 ? defaultSuffix(entries.at(i)) : QString());
        };
        connect(&dialog, &QFileDialog::filterSelected, &dialog, followType);
        followType(dialog.selectedNameFilter());
    }

    QString path;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        path = dialog.selectedFiles().constFirst();
        m_lastFolder = QFileInfo(path).absolutePath();
        const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
        if (chosen >= 0)
            *filterIndex = int(chosen) + 1;
    }
    return path;
}

bool CommonDialog::ShowOpen(QWidget *parent)
{
    FileName = runFileDialog(parent, false, Filter, &FilterIndex);
    return !FileName.isEmpty();
}

bool CommonDialog::ShowSave(QWidget *parent)
{
    FileName = runFileDialog(parent, true, Filter, &FilterIndex);
    return !FileName.isEmpty();
}

QString CommonDialog::ShowSaveWithFilter(QWidget *parent, const QString &filter)
{
    int index = 1;
    return runFileDialog(parent, true, filter, &index);
}
