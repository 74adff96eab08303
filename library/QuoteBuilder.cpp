#include "QuoteBuilder.h"

#include "DevilsDictionary.h"
#include "FortuneFile.h"
#include "QuoteCuration.h"
#include "QuoteSelector.h"
#include "reference/SubjectLists.h"

namespace {

const QString FortuneDir = QStringLiteral("/usr/share/games/fortunes");
const QString DictdDir = QStringLiteral("/usr/share/dictd");

} // namespace

namespace QuoteBuilder {

std::optional<QVector<LibraryEntry>> build(const QVector<KjvVerse> &kjv, QString *error)
{
    QString why;
    const auto curation = QuoteCuration::load(&why);
    if (!curation) {
        *error = why;
        return std::nullopt;
    }
    QVector<Quotation> fortunes;
    for (const QString &file : curation->files) {
        const auto parsed = FortuneFile::read(FortuneDir + QLatin1Char('/') + file, &why);
        if (!parsed) {
            *error = why;
            return std::nullopt;
        }
        fortunes += *parsed;
    }
    const auto devil = DevilsDictionary::read(DictdDir, &why);
    if (!devil) {
        *error = why;
        return std::nullopt;
    }
    if (kjv.isEmpty()) {
        *error = QStringLiteral("the quotations need the KJV verses, and none were given");
        return std::nullopt;
    }
    const QStringList keys = SubjectLists::load(QStringLiteral("LstQuote"));
    if (keys.isEmpty()) {
        *error = QStringLiteral("the LstQuote subject list is missing");
        return std::nullopt;
    }
    QuoteSelector selector(*curation, fortunes, *devil, kjv);
    auto entries = selector.select(keys, &why);
    if (!entries)
        *error = QStringLiteral("quotations: %1").arg(why);
    return entries;
}

QVector<SourceInfo> sources()
{
    return {
        {QStringLiteral("Fortune cookie files"), QStringLiteral("fortunes, fortunes-min"),
         QStringLiteral("BSD licence of fortune-mod, see /usr/share/doc/fortunes/copyright"),
         QStringLiteral("attributed quotations chosen by subject; offensive files never read, crude entries filtered out")},
        {QStringLiteral("The Devil's Dictionary, Ambrose Bierce (1911)"), QStringLiteral("dict-devil"),
         QStringLiteral("public domain"), QStringLiteral("first paragraph of chosen definitions")},
        {QStringLiteral("King James Version"), QStringLiteral("sword-text-kjv"), QStringLiteral("public domain"),
         QStringLiteral("verses quoted with their references")},
        {QStringLiteral("Editors' transcriptions"), QStringLiteral("Vellumor source (library/quotes/curation.txt)"),
         QStringLiteral("public domain sayings of the historical record"),
         QStringLiteral("famous epitaphs, farewells and last words the packages lack, each credited to its speaker")},
    };
}

} // namespace QuoteBuilder
