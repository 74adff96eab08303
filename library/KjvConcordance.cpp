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

KjvConcordance::KjvConcordance(const QVector<KjvVerse> &verses)
    : m_verses(verses)
{
    QHash<QString, QString> normalized; // tags repeat: normalise each spelling once
    for (int v = 0; v < verses.size(); ++v) {
        const KjvVerse &verse = verses.at(v);
        QStringList runNumbers;
        QStringList runTokens;
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
                addRun(runNumbers, runTokens, v);
                runNumbers = numbers;
                runTokens.clear();
            }
            if (!numbers.isEmpty())
                runTokens += wordTokens;
        }
        addRun(runNumbers, runTokens, v);
    }
}

void KjvConcordance::addRun(const QStringList &numbers, const QStringList &runTokens, int verse)
{
    if (numbers.isEmpty() || runTokens.isEmpty())
        return;
    QStringList content;
    for (const QString &t : runTokens)
        if (!isFunctionWord(t.toLower()))
            content << t;
    // A name is written with a capital wherever it stands; "I" and "O" are not names.
    const bool capitalized = !content.isEmpty() && content.constFirst().at(0).isUpper();
    if (content.isEmpty())
        content = runTokens;
    for (QString &t : content)
        t = t.toUpper();
    content.removeDuplicates();
    for (const QString &number : numbers) {
        TagUse &use = m_tags[number];
        note(use, verse);
        if (capitalized)
            ++use.capitalized;
        for (const QString &word : std::as_const(content))
            note(m_pairs[word][number], verse);
    }
}

QVector<KjvConcordance::WordUse> KjvConcordance::words() const
{
    QVector<WordUse> out;
    out.reserve(m_words.size());
    for (auto it = m_words.constBegin(); it != m_words.constEnd(); ++it) {
        QString best;
        int bestCount = -1;
        for (auto s = it->spellings.constBegin(); s != it->spellings.constEnd(); ++s) {
            if (s.value() > bestCount || (s.value() == bestCount && s.key() < best)) {
                best = s.key();
                bestCount = s.value();
            }
        }
        out.push_back({best, it->count, it->firstVerse, it->firstInTitle});
    }
    std::sort(out.begin(), out.end(),
              [](const WordUse &a, const WordUse &b) { return AlphabeticRanges::lessThan(a.word, b.word); });
    return out;
}

QVector<KjvConcordance::Headword> KjvConcordance::headwords() const
{
    QVector<Headword> out;
    out.reserve(m_pairs.size());
    for (auto it = m_pairs.constBegin(); it != m_pairs.constEnd(); ++it) {
        Headword h;
        h.word = it.key();
        for (auto p = it->constBegin(); p != it->constEnd(); ++p) {
            h.translations.push_back({p.key(), p->count, p->firstVerse});
            h.count += p->count;
            if (h.firstVerse < 0 || p->firstVerse < h.firstVerse)
                h.firstVerse = p->firstVerse;
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
        if (t.count >= 2 || t.count * 20 >= headword.count)
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
