#include "QuoteBuilder.h"

#include "DevilsDictionary.h"
#include "FortuneFile.h"
#include "QuoteCuration.h"
#include "QuoteSelector.h"
#include "TreasuryOfDavid.h"
#include "reference/SubjectLists.h"

#include <QSaveFile>

namespace {

const QString FortuneDir = QStringLiteral("/usr/share/games/fortunes");
const QString DictdDir = QStringLiteral("/usr/share/dictd");

struct Material {
    Curation curation;
    QVector<Quotation> fortunes;
    QVector<Quotation> devil;
    QVector<TreasuryNote> treasury;
};

std::optional<Material> gather(const SwordSource &sword, QString *error)
{
    Material m;
    const auto curation = QuoteCuration::load(error);
    if (!curation)
        return std::nullopt;
    m.curation = *curation;
    for (const QString &file : m.curation.files) {
        const auto parsed = FortuneFile::read(FortuneDir + QLatin1Char('/') + file, error);
        if (!parsed)
            return std::nullopt;
        m.fortunes += *parsed;
    }
    const auto devil = DevilsDictionary::read(DictdDir, error);
    if (!devil)
        return std::nullopt;
    m.devil = *devil;
    for (const SwordCommentaryChapter &chapter : sword.commentary(QStringLiteral("TDavid"))) {
        if (chapter.book == QLatin1String("Psalms"))
            m.treasury += TreasuryOfDavid::notes(chapter.chapter, chapter.raw);
    }
    if (m.treasury.isEmpty()) {
        *error = QStringLiteral("The Treasury of David (module TDavid, package sword-comm-tdavid) has no notes");
        return std::nullopt;
    }
    if (sword.kjv().isEmpty()) {
        *error = QStringLiteral("the quotations need the KJV verses, and none were given");
        return std::nullopt;
    }
    return m;
}

} // namespace

namespace QuoteBuilder {

std::optional<QVector<LibraryEntry>> build(const SwordSource &sword, QString *error)
{
    const auto m = gather(sword, error);
    if (!m)
        return std::nullopt;
    const QStringList keys = SubjectLists::load(QStringLiteral("LstQuote"));
    if (keys.isEmpty()) {
        *error = QStringLiteral("the LstQuote subject list is missing");
        return std::nullopt;
    }
    QuoteSelector selector(m->curation, m->fortunes, m->devil, sword.kjv(), m->treasury);
    QString why;
    auto entries = selector.select(keys, &why);
    if (!entries)
        *error = QStringLiteral("quotations: %1").arg(why);
    return entries;
}

bool writeCandidates(const SwordSource &sword, const QString &path, QString *error)
{
    const auto m = gather(sword, error);
    if (!m)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    const auto line = [](const QString &source, const QString &author, const QString &text) {
        return QStringLiteral("%1 | %2 | %3\n").arg(source, author, QString(text).replace(QLatin1Char('\n'), QLatin1String(" / ")))
            .toUtf8();
    };
    for (const Quotation &q : m->fortunes) {
        if (QuoteSelector::usable(q))
            file.write(line(q.source, q.author, q.text));
    }
    for (const Quotation &q : m->devil)
        file.write(line(QStringLiteral("devil"), q.author, q.text));
    for (const TreasuryNote &n : m->treasury)
        file.write(line(QStringLiteral("treasury %1").arg(n.psalm), n.attribution, n.text));
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QVector<SourceInfo> sources()
{
    return {
        {QStringLiteral("Fortune cookie files"), QStringLiteral("fortunes, fortunes-min"),
         QStringLiteral("The collection is distributed under the BSD licence of fortune-mod (see "
                        "/usr/share/doc/fortunes/copyright); each saying remains its author's, so only short "
                        "quotations are kept, and whole poems only where they are in the public domain"),
         QStringLiteral("attributed sayings, each read and chosen by the editors and credited as a reference book "
                        "would; offensive files never read")},
        {QStringLiteral("The Devil's Dictionary, Ambrose Bierce (1911)"), QStringLiteral("dict-devil"),
         QStringLiteral("Public domain (copyright expired)"), QStringLiteral("first paragraph of chosen definitions")},
        {QStringLiteral("King James Version"), QStringLiteral("sword-text-kjv"),
         QStringLiteral("Public domain (in the UK the Crown's letters patent govern its printing)"),
         QStringLiteral("verses quoted with their references, each from where its sentence begins")},
        {QStringLiteral("The Treasury of David, C. H. Spurgeon (1869-1885), SWORD module TDavid"),
         QStringLiteral("sword-comm-tdavid"), QStringLiteral("Public domain"),
         QStringLiteral("short passages of the preachers and writers quoted in its Explanatory Notes and Quaint "
                        "Sayings, credited as the book credits them, its misprinted names mended")},
        {QStringLiteral("Editors' transcriptions"), QStringLiteral("Vellumor source (library/quotes/curation.txt)"),
         QStringLiteral("Public-domain texts, and short quotations of copyrighted speeches and writings, each credited"),
         QStringLiteral("famous epitaphs, farewells and last words the packages lack, and sayings the fortune files "
                        "misquote, given in their authors' words")},
    };
}

} // namespace QuoteBuilder
