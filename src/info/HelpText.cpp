#include "info/HelpText.h"

#include "app/AppSetup.h"
#include "reference/SubjectLists.h"

#include <QFile>

namespace {

// Where the quotation subjects go in the stored text.
const QString SubjectsMarker = QStringLiteral("{{LstQuote}}");

} // namespace

namespace HelpText {

QStringList lines()
{
    AppSetup::initResources();
    QFile file(QStringLiteral(":/help/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList stored = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!stored.isEmpty() && stored.constLast().isEmpty())
        stored.removeLast(); // the file ends with a line break

    QStringList result;
    for (QString &line : stored) {
        // The stored copy may have either line end; blanks before it are text.
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line == SubjectsMarker)
            result += SubjectLists::load(QStringLiteral("LstQuote"));
        else
            result += line;
    }
    return result;
}

QString contents()
{
    QString text;
    for (const QString &line : lines())
        text += line + QStringLiteral("\r\n");
    return text;
}

} // namespace HelpText
