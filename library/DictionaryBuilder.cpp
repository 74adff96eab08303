#include "DictionaryBuilder.h"

#include "DictionaryLayout.h"
#include "KjvConcordance.h"
#include "NaveCrossReferences.h"
#include "NaveRenderer.h"
#include "StrongsEntry.h"
#include "reference/SubjectLists.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString Indent = QStringLiteral("    ");
const QString Indent2 = QStringLiteral("        ");

// Collects the articles of each record in the order they are added.
class RecordTexts {
public:
    void add(const QString &key, const QString &article)
    {
        QString &text = m_texts[key];
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += article;
    }
    bool contains(const QString &key) const { return m_texts.contains(key); }
    QString text(const QString &key) const { return m_texts.value(key); }
    QStringList keys() const { return m_texts.keys(); }

private:
    QMap<QString, QString> m_texts;
};

QString timesText(int n)
{
    return n == 1 ? QStringLiteral("once") : QStringLiteral("%1 times").arg(n);
}

// "2 Hebrew words", "1 Greek word", "3 Hebrew and 2 Greek words".
QString languagesText(const QVector<KjvConcordance::Translation> &translations)
{
    const auto hebrew = std::count_if(translations.cbegin(), translations.cend(), [](const auto &t) {
        return t.number.startsWith(QLatin1Char('H'));
    });
    const auto greek = translations.size() - hebrew;
    const QString noun = (greek > 0 ? greek : hebrew) == 1 ? QStringLiteral("word") : QStringLiteral("words");
    if (hebrew > 0 && greek > 0)
        return QStringLiteral("%1 Hebrew and %2 Greek %3").arg(hebrew).arg(greek).arg(noun);
    return greek > 0 ? QStringLiteral("%1 Greek %2").arg(greek).arg(noun) : QStringLiteral("%1 Hebrew %2").arg(hebrew).arg(noun);
}

QString strongsLabel(const StrongsEntry &e)
{
    QString s = e.number;
    if (!e.transliteration.isEmpty())
        s += QLatin1Char(' ') + e.transliteration;
    if (!e.pronunciation.isEmpty())
        s += QStringLiteral(" (") + e.pronunciation + QLatin1Char(')');
    return s;
}

QHash<QString, StrongsEntry> parseStrongs(const QVector<SwordDictEntry> &entries, QChar testament)
{
    QHash<QString, StrongsEntry> out;
    for (const SwordDictEntry &raw : entries)
        if (std::optional<StrongsEntry> e = StrongsEntry::parse(testament, raw.key, raw.raw))
            out.insert(e->number, *e);
    return out;
}

// Numbers in ascending order, Hebrew first, so that output never depends on hashing.
QStringList sortedNumbers(const QHash<QString, StrongsEntry> &strongs)
{
    QStringList numbers = strongs.keys();
    std::sort(numbers.begin(), numbers.end(), [](const QString &a, const QString &b) {
        if (a.at(0) != b.at(0))
            return a.at(0) == QLatin1Char('H');
        return a.mid(1).toInt() < b.mid(1).toInt();
    });
    return numbers;
}

// The headword a name is listed under: Strong's spelling where the KJV prints
// it with the number, else the KJV's commonest; either as the KJV prints it,
// though a hyphen the KJV adds may stay out ("BETHEL" for "Beth-el").
QString nameHeadword(const StrongsEntry &e, const KjvConcordance &kjv)
{
    const QString strongs = e.nameHeadword();
    QString printed;
    if (!strongs.isEmpty() && kjv.nameUse(e.number, strongs, &printed).count > 0)
        return QString(printed).remove(QLatin1Char('-')) == strongs ? strongs : printed;
    for (const QString &spelling : kjv.nameSpellings(e.number))
        if (kjv.nameUse(e.number, spelling, &printed).count > 0)
            return printed;
    return {};
}

bool sameSpelling(QString a, QString b)
{
    return a.remove(QLatin1Char('-')).compare(b.remove(QLatin1Char('-')), Qt::CaseInsensitive) == 0;
}

void addBibleNames(RecordTexts &records, const QHash<QString, StrongsEntry> &strongs,
                   const KjvConcordance &kjv)
{
    struct Name {
        QString headword;
        QString number;
    };
    QVector<Name> names;
    const QStringList numbers = sortedNumbers(strongs);
    for (const QString &number : numbers) {
        const StrongsEntry &e = *strongs.constFind(number);
        const KjvConcordance::TagUse use = kjv.tag(number);
        // Strong's and the KJV must agree: a capitalised rendering, and a
        // word the KJV itself capitalises in most of its uses.
        if (use.count == 0 || use.capitalized * 2 < use.count)
            continue;
        if (!e.renderings.isEmpty() && !e.isProperName())
            continue;
        const QString headword = nameHeadword(e, kjv);
        if (!headword.isEmpty())
            names.push_back({headword, number});
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const Name &a, const Name &b) { return AlphabeticRanges::lessThan(a.headword, b.headword); });

    const AlphabeticRanges ranges = DictionaryLayout::bibleNames();
    for (qsizetype i = 0; i < ranges.keys().size(); ++i)
        records.add(ranges.keys().at(i), QStringLiteral("BIBLE NAMES: %2\n%1The proper names of the King James Version, people and "
                                        "places, spelt as the KJV prints them, with their meaning as Strong's "
                                        "dictionaries give it, the Strong's number and how often the KJV uses the name.\n")
                                                 .arg(Indent, ranges.letterSpan(i)));
    for (qsizetype i = 0; i < names.size();) {
        const QString headword = names.at(i).headword;
        QString article = headword + QLatin1Char('\n');
        for (; i < names.size() && names.at(i).headword == headword; ++i) {
            const StrongsEntry &e = *strongs.constFind(names.at(i).number);
            const KjvConcordance::TagUse use = kjv.nameUse(e.number, headword);
            article += Indent + strongsLabel(e) + QStringLiteral(": used %1, first at %2\n")
                                                      .arg(timesText(use.count), kjv.reference(use.firstVerse));
            article += Indent2 + QStringLiteral("Meaning: ") + e.definition + QLatin1Char('\n');
            if (e.renderings.isEmpty())
                continue;
            // Strong's renderings name the KJV's spelling, or say how Strong's spells it.
            const QStringList strongsSpellings = e.nameSpellings();
            const bool kjvSpelling = std::any_of(strongsSpellings.cbegin(), strongsSpellings.cend(),
                                                 [&headword](const QString &s) { return sameSpelling(s, headword); });
            article += Indent2 + (kjvSpelling ? QStringLiteral("KJV: ") : QStringLiteral("Strong's spelling: "))
                + e.renderings.join(QStringLiteral(", ")) + QLatin1Char('\n');
        }
        records.add(ranges.keyFor(headword), article);
    }
}

void addWordUsage(RecordTexts &records, const KjvConcordance &kjv)
{
    const AlphabeticRanges ranges = DictionaryLayout::wordUsage();
    for (qsizetype i = 0; i < ranges.keys().size(); ++i)
        records.add(ranges.keys().at(i), QStringLiteral("WORD USAGE: %2\n%1Every word of the King James Version in this part of "
                                        "the alphabet, how often it occurs and where it first occurs.\n")
                                                 .arg(Indent, ranges.letterSpan(i)));
    for (const KjvConcordance::WordUse &w : kjv.words()) {
        records.add(ranges.keyFor(w.word),
                    w.word + QLatin1Char('\n') + Indent
                        + QStringLiteral("%1; first at %2\n").arg(timesText(w.count), kjv.firstReference(w)));
    }
}

void addBibleDictionary(RecordTexts &records, const QStringList &subjectKeys,
                        const QHash<QString, StrongsEntry> &strongs, const KjvConcordance &kjv)
{
    const AlphabeticRanges ranges = DictionaryLayout::bibleDict(subjectKeys);
    const QStringList keys = ranges.keys();
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString from = i == 0 ? QStringLiteral("the beginning") : keys.at(i).mid(10);
        const QString to = i + 1 < keys.size() ? keys.at(i + 1).mid(10) : QStringLiteral("the end");
        records.add(keys.at(i), QStringLiteral("BIBLE WORD DICTIONARY: from %1 to %2\n%3The English words of the "
                                               "King James Version with the Hebrew and Greek words they "
                                               "translate (Strong's number, transliteration, definition), how "
                                               "often and where first each occurs.\n")
                                    .arg(from, to, Indent));
    }
    for (const KjvConcordance::Headword &h : kjv.headwords()) {
        // The word's own count, as Word Usage gives it; then what it translates.
        QString article = h.word + QLatin1Char('\n');
        article += Indent + QStringLiteral("Used %1; first at %2\n").arg(timesText(h.use.count), kjv.firstReference(h.use));
        article += Indent + QStringLiteral("Translates %1, %2:\n")
                                .arg(languagesText(h.translations),
                                     h.rendered == 1 ? timesText(1) : timesText(h.rendered) + QStringLiteral(" in all"));
        const QVector<KjvConcordance::Translation> listed = KjvConcordance::principal(h);
        for (const KjvConcordance::Translation &t : listed) {
            const auto it = strongs.constFind(t.number);
            const QString label = it == strongs.constEnd() ? t.number : strongsLabel(*it);
            article += Indent + label + QStringLiteral(": %1, first at %2\n")
                                            .arg(timesText(t.count), kjv.reference(t.firstVerse));
            if (it != strongs.constEnd() && !it->definition.isEmpty())
                article += Indent2 + it->definition + QLatin1Char('\n');
        }
        // Those left out are each used once (see principal()).
        const qsizetype rarer = h.translations.size() - listed.size();
        if (rarer == 1)
            article += Indent + QStringLiteral("and 1 rarer word, used once\n");
        else if (rarer > 1)
            article += Indent + QStringLiteral("and %1 rarer words, used once each\n").arg(rarer);
        records.add(ranges.keyFor(h.word), article);
    }
}

void addTopicalIndex(RecordTexts &records, const QVector<SwordDictEntry> &nave)
{
    for (const QString &key : DictionaryLayout::topicalKeys())
        records.add(key, QStringLiteral("NAVE'S TOPICAL BIBLE: %1\n%2Topics with the Bible passages on each. The "
                                        "topics on God, on Christ and the Holy Spirit and on redemption have "
                                        "records of their own.\n")
                             .arg(DictionaryLayout::topicalDescription(key), Indent));
    QVector<SwordDictEntry> topics = nave;
    std::stable_sort(topics.begin(), topics.end(), [](const SwordDictEntry &a, const SwordDictEntry &b) {
        return AlphabeticRanges::lessThan(a.key.toUpper(), b.key.toUpper());
    });
    // The module holds some topics twice (REVERENCE, SIN): one article each.
    QStringList order;
    QHash<QString, QString> articles;
    for (qsizetype i = 0; i < topics.size();) {
        const QString topic = topics.at(i).key.toUpper();
        QString article = NaveRenderer::render(topic, topics.at(i).raw);
        for (++i; i < topics.size() && topics.at(i).key.toUpper() == topic; ++i) {
            const QString more = NaveRenderer::render(topic, topics.at(i).raw);
            article += more.mid(more.indexOf(QLatin1Char('\n')) + 1);
        }
        const QString heading = article.left(article.indexOf(QLatin1Char('\n')));
        order << heading;
        articles.insert(heading, article);
    }
    // Cross-references are settled once every heading is known.
    const NaveCrossReferences crossReferences(articles);
    for (const QString &heading : std::as_const(order))
        records.add(DictionaryLayout::topicalKey(heading), crossReferences.rewrite(articles.value(heading)));
}

} // namespace

namespace DictionaryBuilder {

std::optional<QVector<LibraryEntry>> build(const SwordSource &sword, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const QVector<KjvVerse> &verses = sword.kjv();
    if (verses.isEmpty())
        return fail(QStringLiteral("The King James Version (module engKJV2006eb, package sword-text-kjv) has no verses."));
    const QVector<SwordDictEntry> hebrewRaw = sword.dictionary(QStringLiteral("StrongsHebrew"));
    const QVector<SwordDictEntry> greekRaw = sword.dictionary(QStringLiteral("StrongsGreek"));
    const QVector<SwordDictEntry> nave = sword.dictionary(QStringLiteral("Nave"));
    if (hebrewRaw.isEmpty())
        return fail(QStringLiteral("Strong's Hebrew dictionary (module StrongsHebrew, package "
                                   "sword-dict-strongs-hebrew) is missing or empty."));
    if (greekRaw.isEmpty())
        return fail(QStringLiteral("Strong's Greek dictionary (module StrongsGreek, package "
                                   "sword-dict-strongs-greek) is missing or empty."));
    if (nave.isEmpty())
        return fail(QStringLiteral("Nave's Topical Bible (module Nave, package sword-dict-naves) is missing or empty."));

    const QStringList subjectKeys = SubjectLists::load(QStringLiteral("lstJoke"));
    if (subjectKeys.isEmpty())
        return fail(QStringLiteral("The dictionary panel's subject list could not be read."));
    if (!DictionaryLayout::bibleDict(subjectKeys).isValid())
        return fail(QStringLiteral("The Bible dictionary subjects are not in alphabetical order."));

    QHash<QString, StrongsEntry> strongs = parseStrongs(hebrewRaw, QLatin1Char('H'));
    strongs.insert(parseStrongs(greekRaw, QLatin1Char('G')));
    const KjvConcordance kjv(verses, strongs);

    RecordTexts records;
    addBibleNames(records, strongs, kjv);
    addWordUsage(records, kjv);
    addBibleDictionary(records, subjectKeys, strongs, kjv);
    addTopicalIndex(records, nave);

    QVector<LibraryEntry> entries;
    QStringList used;
    for (const QString &key : subjectKeys) {
        if (used.contains(key))
            continue; // identical list items share one record
        used << key;
        if (!records.contains(key))
            return fail(QStringLiteral("No dictionary content was made for the subject \"%1\".").arg(key));
        // A record that holds little more than its heading means a source went missing.
        if (records.text(key).size() < 500)
            return fail(QStringLiteral("The dictionary subject \"%1\" has almost no content.").arg(key));
        entries.push_back({key, records.text(key)});
    }
    for (const QString &key : records.keys())
        if (!used.contains(key))
            return fail(QStringLiteral("Dictionary content was made for \"%1\", which the subject list lacks.").arg(key));
    return entries;
}

QVector<SourceInfo> sources()
{
    return {
        {QStringLiteral("King James Version with Strong's numbers (engKJV2006eb)"), QStringLiteral("sword-text-kjv"),
         QStringLiteral("Public domain (in the UK the Crown's letters patent govern its printing)"), QStringLiteral("Word usage, word counts and first references")},
        {QStringLiteral("Strong's Hebrew Dictionary (StrongsHebrew)"), QStringLiteral("sword-dict-strongs-hebrew"),
         QStringLiteral("Public domain"), QStringLiteral("Meanings of Hebrew words and names")},
        {QStringLiteral("Strong's Greek Dictionary (StrongsGreek)"), QStringLiteral("sword-dict-strongs-greek"),
         QStringLiteral("Public domain"), QStringLiteral("Meanings of Greek words and names")},
        {QStringLiteral("Nave's Topical Bible (Nave)"), QStringLiteral("sword-dict-naves"),
         QStringLiteral("Public domain"), QStringLiteral("The topical index")},
    };
}

} // namespace DictionaryBuilder
