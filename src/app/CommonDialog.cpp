#include "app/CommonDialog.h"

#include <QFileDialog>

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

static QFileDialog *makeFileDialog(QWidget *parent, const CommonDialog &settings)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    // Qt's own dialog, so that it looks the same everywhere and can be driven in tests.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setNameFilters(settings.nameFilters());
    return dialog;
}

bool CommonDialog::ShowOpen(QWidget *parent)
{
    QFileDialog *dialog = makeFileDialog(parent, *this);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = dialog->nameFilters();
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog->selectNameFilter(filters.at(FilterIndex - 1));
    FileName.clear();
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        FileName = dialog->selectedFiles().constFirst();
        FilterIndex = int(filters.indexOf(dialog->selectedNameFilter())) + 1;
    }
    delete dialog;
    return !FileName.isEmpty();
}

bool CommonDialog::ShowSave(QWidget *parent)
{
    QFileDialog *dialog = makeFileDialog(parent, *this);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // Replacing a file always asks first.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    const QStringList filters = dialog->nameFilters();
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog->selectNameFilter(filters.at(FilterIndex - 1));
    FileName.clear();
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        FileName = dialog->selectedFiles().constFirst();
        FilterIndex = int(filters.indexOf(dialog->selectedNameFilter())) + 1;
    }
    delete dialog;
    return !FileName.isEmpty();
}
