#include "reference/SubjectLists.h"

#include <QFile>
#include <mutex>

static void initSubjectResources()
{
    // The lists live in a static library: register its resources explicitly.
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(subjects); });
}

namespace SubjectLists {

QStringList load(const QString &listName)
{
    initSubjectResources();
    QFile file(QStringLiteral(":/subjects/%1.txt").arg(listName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList items = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!items.isEmpty() && items.constLast().isEmpty())
        items.removeLast(); // the file ends with a line break
    return items;
}

} // namespace SubjectLists
