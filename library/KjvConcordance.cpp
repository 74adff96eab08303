#include "KjvConcordance.h"

#include "AlphabeticRanges.h"
#include "StrongsEntry.h"

#include <QSet>
#include <algorithm>

namespace {

bool isJoiner(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('\'') || c == QChar(0x2019);
}

void note(KjvConcordance::TagUse &use, int verse)
{
    if (use.count++ == 0)
        use.firstVerse = verse;
}

} // namespace

QStringList KjvConcordance::tokens(const QString &text)
{
    QStringList out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (!text.at(i).isLetter()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n) {
            if (text.at(i).isLetter())
                ++i;
            else if (isJoiner(text.at(i)) && i + 1 < n && text.at(i + 1).isLetter())
                i += 2;
            else
                break;
        }
        out << text.mid(start, i - start);
    }
    return out;
}

bool KjvConcordance::isFunctionWord(const QString &lowerCaseWord)
{
    static const QSet<QString> words = [] {
        const char *list[] = {"a", "an", "the", "of", "to", "and", "in", "on", "at", "by", "for", "from",
                              "with", "into", "unto", "upon", "he", "she", "it", "they", "we", "ye",
                              "you", "i", "thou", "thee", "him", "her", "them", "us", "me", "my", "thy",
                              "his", "their", "our", "your", "its", "shall", "will", "would", "should",
                              "be", "is", "was", "were", "are", "art", "hast", "hath", "have", "had",
                              "been", "not", "that", "which", "who", "whom", "this", "these", "those",
                              "there", "then", "so", "as", "do", "did", "doth", "also", "o", "oh"};
        QSet<QString> s;
        for (const char *w : list)
            s.insert(QString::fromLatin1(w));
        return s;
    }();
    return words.contains(lowerCaseWord);
}

KjvConcordance::KjvConcordance(const QVector<KjvVerse> &verses, const QHash<QString, StrongsEntry> &strongs)
    : m_verses(verses)
{
    QHash<QString, QString> normalized; // tags repeat: normalise each spelling once
    QVector<Run> runs;
    for (int v = 0; v < verses.size(); ++v) {
        const KjvVerse &verse = verses.at(v);
        QStringList runNumbers;
        QStringList runTokens;
        QStringList runLeadIn;
        QStringList leadIn; // untagged capitalised words just before: "Ashteroth" of "Ashteroth Karnaim"
        auto countWord = [this, v](const QString &token, bool inTitle) {
            WordCount &w = m_words[token.toLower()];
            if (w.count++ == 0) {
                w.firstVerse = v;
                w.firstInTitle = inTitle;
            }
            ++w.spellings[token];
        };
        // A psalm's title is Scripture too ("Neginoth", "Maschil" occur only there).
        for (const QString &t : tokens(verse.title))
            countWord(t, true);
        if (verse.words.isEmpty()) {
            for (const QString &t : tokens(verse.text))
                countWord(t, false);
            continue;
        }
        // A phrase the module tags as one ("the world") arrives as adjacent
        // words carrying the same numbers: it is one use of each number.
        for (const KjvWord &word : verse.words) {
            const QStringList wordTokens = tokens(word.text);
            for (const QString &t : wordTokens)
                countWord(t, false);
            QStringList numbers;
            for (const QString &raw : word.strongs) {
                auto it = normalized.constFind(raw);
                if (it == normalized.constEnd())
                    it = normalized.insert(raw, StrongsEntry::normalizeNumber(raw));
                if (!it->isEmpty() && !numbers.contains(*it))
                    numbers << *it;
            }
            if (numbers != runNumbers) {
                noteRun(runs, runNumbers, runTokens, runLeadIn, v);
                runNumbers = numbers;
                runTokens.clear();
                runLeadIn = leadIn;
            }
            const bool capitalized = std::all_of(wordTokens.cbegin(), wordTokens.cend(), [](const QString &t) {
                return t.at(0).isUpper() && !isFunctionWord(t.toLower());
            });
            if (!numbers.isEmpty()) {
                runTokens += wordTokens;
                leadIn.clear();
            } else if (capitalized) {
                leadIn += wordTokens;
            } else {
                leadIn.clear();
            }
        }
        noteRun(runs, runNumbers, runTokens, runLeadIn, v);
    }
    // Which words render a number is known only once all its uses are counted.
    for (const Run &run : std::as_const(runs))
        pairRun(run, strongs);
}

void KjvConcordance::noteRun(QVector<Run> &runs, const QStringList &numbers, const QStringList &runTokens,
                             const QStringList &leadIn, int verse)
{
    if (numbers.isEmpty() || runTokens.isEmpty())
        return;
    QStringList content;
    for (const QString &t : runTokens)
        if (!isFunctionWord(t.toLower()))
            content << t;
    // A name is written with a capital wherever it stands; "I" and "O" are not names.
    const bool capitalized = !content.isEmpty() && content.constFirst().at(0).isUpper();
    QStringList spellings;
    for (const QString &t : std::as_const(content))
        if (t.at(0).isUpper())
            spellings << nameKey(t.toUpper());
    // The capitals in a row, with any untagged ones before: a name of several words.
    QStringList phrase;
    if (!spellings.isEmpty())
        for (const QString &t : leadIn)
            phrase << nameKey(t.toUpper());
    phrase += spellings;
    spellings.removeDuplicates();
    if (phrase.size() > 1)
        spellings << phrase.join(QLatin1Char(' '));
    for (const QString &number : numbers) {
        TagUse &use = m_tags[number];
        note(use, verse);
        if (capitalized)
            ++use.capitalized;
        if (content.isEmpty())
            ++m_smallWordRuns[number];
        if (runTokens.size() == 1 && content.isEmpty())
            ++m_alone[runTokens.constFirst().toLower() + QLatin1Char('|') + number];
        for (const QString &spelling : std::as_const(spellings))
            ++m_names[number][spelling];
        m_tagVerses[number] << verse;
    }
    runs.push_back({verse, numbers, runTokens});
}

bool KjvConcordance::rendersBySmallWords(const QString &number) const
{
    return m_smallWordRuns.value(number) * 2 > m_tags.value(number).count;
}

void KjvConcordance::pairRun(const Run &run, const QHash<QString, StrongsEntry> &strongs)
{
    QStringList words;
    for (const QString &t : run.tokens) {
        const QString upper = t.toUpper();
        if (!words.contains(upper))
            words << upper;
    }
    for (const QString &number : run.numbers) {
        const bool small = rendersBySmallWords(number);
        const auto entry = strongs.constFind(number);
        for (const QString &word : std::as_const(words)) {
            const QString lower = word.toLower();
            // In a phrase, only a small word that renders the number alone
            // elsewhere, twice: once may be a tag slipped from its neighbour.
            const bool renders = isFunctionWord(lower)
                ? small && (run.tokens.size() == 1 || m_alone.value(lower + QLatin1Char('|') + number) >= 2)
                : !small || entry == strongs.constEnd() || entry->listsRendering(lower);
            if (renders)
                note(m_pairs[word][number], run.verse);
        }
    }
}

QString KjvConcordance::nameKey(const QString &upperCaseWord)
{
    QString key = upperCaseWord;
    if (key.size() > 2 && key.endsWith(QLatin1Char('S')) && isJoiner(key.at(key.size() - 2)))
        key.chop(2);
    else if (key.size() > 1 && isJoiner(key.back()))
        key.chop(1);
    return key;
}

QStringList KjvConcordance::nameSpellings(const QString &number) const
{
    const QHash<QString, int> counts = m_names.value(number);
    QStringList out = counts.keys();
    // Commonest first; then the longer phrase; then in letter order.
    std::sort(out.begin(), out.end(), [&counts](const QString &a, const QString &b) {
        if (counts.value(a) != counts.value(b))
            return counts.value(a) > counts.value(b);
        if (a.count(QLatin1Char(' ')) != b.count(QLatin1Char(' ')))
            return a.count(QLatin1Char(' ')) > b.count(QLatin1Char(' '));
        return a < b;
    });
    return out;
}

namespace {

// A name's words as they are compared: no possessive, no hyphen, upper case.
QString nameWord(const QString &token)
{
    return KjvConcordance::nameKey(token.toUpper()).remove(QLatin1Char('-'));
}

} // namespace

KjvConcordance::TagUse KjvConcordance::nameUse(const QString &number, const QString &spelling, QString *printed) const
{
    TagUse use;
    QStringList words;
    for (const QString &t : tokens(spelling))
        words << nameWord(t);
    if (words.isEmpty())
        return use;
    int lastVerse = -1;
    bool lastHad = false;
    for (const int verse : m_tagVerses.value(number)) {
        if (verse != lastVerse) {
            lastVerse = verse;
            lastHad = false;
            const QStringList text = tokens(m_verses.at(verse).text);
            for (qsizetype i = 0; !lastHad && i + words.size() <= text.size(); ++i) {
                qsizetype k = 0;
                while (k < words.size() && nameWord(text.at(i + k)) == words.at(k))
                    ++k;
                lastHad = k == words.size();
                if (lastHad && printed && use.count == 0) {
                    QStringList form;
                    for (k = 0; k < words.size(); ++k)
                        form << nameKey(text.at(i + k).toUpper());
                    *printed = form.join(QLatin1Char(' '));
                }
            }
        }
        if (lastHad)
            note(use, verse);
    }
    return use;
}

QVector<KjvConcordance::WordUse> KjvConcordance::words() const
{
    QVector<WordUse> out;
    out.reserve(m_words.size());
    for (auto it = m_words.constBegin(); it != m_words.constEnd(); ++it)
        out.push_back(word(it.key()));
    std::sort(out.begin(), out.end(),
              [](const WordUse &a, const WordUse &b) { return AlphabeticRanges::lessThan(a.word, b.word); });
    return out;
}

KjvConcordance::WordUse KjvConcordance::word(const QString &anyCase) const
{
    const auto it = m_words.constFind(anyCase.toLower());
    if (it == m_words.constEnd())
        return {anyCase, 0, -1, false};
    QString best;
    int bestCount = -1;
    for (auto s = it->spellings.constBegin(); s != it->spellings.constEnd(); ++s) {
        if (s.value() > bestCount || (s.value() == bestCount && s.key() < best)) {
            best = s.key();
            bestCount = s.value();
        }
    }
    return {best, it->count, it->firstVerse, it->firstInTitle};
}

QString KjvConcordance::firstReference(const WordUse &use) const
{
    return use.firstInTitle ? titleReference(use.firstVerse) : reference(use.firstVerse);
}

QVector<KjvConcordance::Headword> KjvConcordance::headwords() const
{
    QVector<Headword> out;
    out.reserve(m_pairs.size());
    for (auto it = m_pairs.constBegin(); it != m_pairs.constEnd(); ++it) {
        Headword h;
        h.word = it.key();
        h.use = word(h.word);
        for (auto p = it->constBegin(); p != it->constEnd(); ++p) {
            h.translations.push_back({p.key(), p->count, p->firstVerse});
            h.rendered += p->count;
        }
        std::sort(h.translations.begin(), h.translations.end(), [](const Translation &a, const Translation &b) {
            if (a.count != b.count)
                return a.count > b.count;
            if (a.firstVerse != b.firstVerse)
                return a.firstVerse < b.firstVerse;
            return a.number < b.number;
        });
        out.push_back(std::move(h));
    }
    std::sort(out.begin(), out.end(),
              [](const Headword &a, const Headword &b) { return AlphabeticRanges::lessThan(a.word, b.word); });
    return out;
}

QVector<KjvConcordance::Translation> KjvConcordance::principal(const Headword &headword)
{
    if (headword.translations.size() == 1)
        return headword.translations;
    QVector<Translation> out;
    for (const Translation &t : headword.translations) {
        if (t.count >= 2 || t.count * 20 >= headword.rendered)
            out.push_back(t);
    }
    return out;
}

QString KjvConcordance::titleReference(int verseIndex) const
{
    if (verseIndex < 0 || verseIndex >= m_verses.size())
        return {};
    const KjvVerse &v = m_verses.at(verseIndex);
    return QStringLiteral("%1 %2 (title)").arg(v.book).arg(v.chapter);
}

KjvConcordance::TagUse KjvConcordance::tag(const QString &number) const
{
    return m_tags.value(number);
}

QString KjvConcordance::reference(int verseIndex) const
{
    if (verseIndex < 0 || verseIndex >= m_verses.size())
        return {};
    return m_verses.at(verseIndex).reference();
}
