#include "scripture/BibleText.h"

#include "reference/DataSource.h"
#include "reference/ReferenceSchema.h"

namespace {

// The label that starts a verse's line: "John 3:16 ".
QString labelOf(const QString &book, int chapter, int verse)
{
    return QStringLiteral("%1 %2:%3 ").arg(book).arg(chapter).arg(verse);
}

} // namespace

BibleText::BibleText(DataSource *bible)
    : m_bible(bible)
{
}

BibleText::Chapter BibleText::chapter(const QString &book, int number) const
{
    const QString key = book + QLatin1Char('\n') + QString::number(number);
    const auto known = m_chapters.constFind(key);
    if (known != m_chapters.constEnd())
        return *known;
    Chapter c;
    if (m_bible) {
        if (const std::optional<DataSource::Chapter> found = m_bible->chapter(book, number))
            c = {found->verses, found->subject};
    }
    m_chapters.insert(key, c);
    return c;
}

QString BibleText::problemWith(const BibleReference &ref) const
{
    if (!m_bible || !m_bible->isOpen() || !m_bible->hasChapterList())
        return QObject::tr("the Bible's file cannot be used to look up references");
    for (const auto &[number, verse] : {std::pair{ref.chapter, ref.firstVerse}, std::pair{ref.endChapter(), ref.lastVerse}}) {
        const Chapter c = chapter(ref.book, number);
        if (c.verses == 0) {
            auto count = m_chapterCounts.constFind(ref.book);
            if (count == m_chapterCounts.constEnd())
                count = m_chapterCounts.insert(ref.book, m_bible->chapterCount(ref.book));
            if (*count == 1)
                return QObject::tr("%1 has only one chapter").arg(ref.book);
            return QObject::tr("%1 has %2 chapters").arg(ref.book).arg(*count);
        }
        if (verse > c.verses)
            return QObject::tr("%1 %2 has %3 verses").arg(ref.book).arg(number).arg(c.verses);
    }
    return {};
}

bool BibleText::exists(const BibleReference &ref) const
{
    return problemWith(ref).isEmpty();
}

QString BibleText::section(const QString &subject) const
{
    if (subject != m_sectionSubject) {
        m_sectionSubject = subject;
        const std::optional<qint64> row = m_bible->peek(QString::fromLatin1(ReferenceSchema::Bible.index.data(),
                                                                           qsizetype(ReferenceSchema::Bible.index.size())),
                                                        subject);
        m_section = row ? m_bible->entryAt(*row) : QString();
    }
    return m_section;
}

QList<BibleText::Verse> BibleText::verses(const BibleReference &ref, QString *problem) const
{
    const QString why = problemWith(ref);
    if (!why.isEmpty()) {
        if (problem)
            *problem = why;
        return {};
    }
    QList<Verse> verses;
    for (int number = ref.chapter; number <= ref.endChapter(); ++number) {
        const Chapter c = chapter(ref.book, number);
        const int first = number == ref.chapter ? qMax(1, ref.firstVerse) : 1;
        const int last = number == ref.endChapter() && ref.lastVerse > 0 ? ref.lastVerse : c.verses;
        const QString text = section(c.subject);
        // Verses follow each other line by line; a blank line opens a chapter.
        QString label = labelOf(ref.book, number, first);
        qsizetype at = text.startsWith(label) ? 0 : text.indexOf(QLatin1Char('\n') + label);
        if (at > 0)
            ++at;
        for (int verse = first; verse <= last && at >= 0; ++verse) {
            label = labelOf(ref.book, number, verse);
            if (!QStringView(text).mid(at).startsWith(label)) {
                at = -1;
                break;
            }
            qsizetype end = text.indexOf(QLatin1Char('\n'), at);
            if (end < 0)
                end = text.size();
            verses.append({number, verse, text.mid(at + label.size(), end - at - label.size())});
            at = end + 1;
        }
        if (at < 0) {
            if (problem)
                *problem = QObject::tr("the Bible's file lacks the text of %1").arg(ref.text());
            return {};
        }
    }
    return verses;
}

QString BibleText::citation(const BibleReference &ref)
{
    return QStringLiteral(" (%1, KJV)").arg(ref.text());
}

QString BibleText::words(const QList<Verse> &verses)
{
    if (verses.size() == 1)
        return verses.constFirst().text;
    QString words;
    int chapter = verses.isEmpty() ? 0 : verses.constFirst().chapter;
    for (const Verse &v : verses) {
        if (!words.isEmpty())
            words += QLatin1Char(' ');
        if (v.chapter != chapter)
            words += QString::number(v.chapter) + QLatin1Char(':');
        chapter = v.chapter;
        words += QString::number(v.verse) + QLatin1Char(' ') + v.text;
    }
    return words;
}

std::optional<QStringList> BibleText::passage(const QList<BibleReference> &refs, QString *problem) const
{
    QStringList paragraphs;
    for (const BibleReference &ref : refs) {
        const QList<Verse> found = verses(ref, problem);
        if (found.isEmpty())
            return std::nullopt;
        paragraphs << words(found) + citation(ref);
    }
    return paragraphs;
}

QString BibleText::preview(const BibleReference &ref, int maxCharacters) const
{
    const QList<Verse> found = verses(ref);
    if (found.isEmpty())
        return {};
    QString text = words(found);
    if (text.size() > maxCharacters) {
        // At the last blank that leaves a whole word, without the stop before it.
        qsizetype cut = text.lastIndexOf(QLatin1Char(' '), maxCharacters);
        if (cut <= 0)
            cut = maxCharacters;
        text.truncate(cut);
        while (!text.isEmpty() && QStringLiteral(",;:.").contains(text.back()))
            text.chop(1);
        text += QChar(0x2026);
    }
    return text + citation(ref);
}
