#include "BibleBuilder.h"

#include "reference/ReferenceSchema.h"
#include "reference/SubjectLists.h"

#include <QMap>
#include <QSet>

#include <algorithm>

namespace {

// One lstBible key and the chapters it carries. lastChapter 0 means "to the
// end of the book". Where a key is odd ("Exra", "Psalms 136-50") or leaves
// chapters unnamed ("Joshua 11-21" before Judges), the range is what a
// reader expects so that every chapter has exactly one home.
struct Section {
    const char *key;
    int bookIndex;
    int firstChapter;
    int lastChapter;
};

constexpr Section Sections[] = {
    {"Genesis 1-16", 0, 1, 16},      {"Genesis 17-30", 0, 17, 30},   {"Genesis 31-41", 0, 31, 41},
    {"Genesis 42-50", 0, 42, 50},    {"Exodus 1-12", 1, 1, 12},      {"Exodus 13-26", 1, 13, 26},
    {"Exodus 27-35", 1, 27, 35},     {"Exodus 36-40", 1, 36, 40},    {"Leviticus 1-13", 2, 1, 13},
    {"Leviticus 14-24", 2, 14, 24},  {"Leviticus 25-27", 2, 25, 27}, {"Numbers 1-10", 3, 1, 10},
    {"Numbers 11-22", 3, 11, 22},    {"Numbers 23-32", 3, 23, 32},   {"Numbers 33-36", 3, 33, 36},
    {"Deut 1-10", 4, 1, 10},         {"Deut 11-24", 4, 11, 24},      {"Deut 25-34", 4, 25, 34},
    {"Joshua 1-10", 5, 1, 10},       {"Joshua 11-21", 5, 11, 24},    {"Judges 1-10", 6, 1, 10},
    {"Judges 11-21", 6, 11, 21},     {"Ruth 1-4", 7, 1, 4},          {"1 Sam 1-11", 8, 1, 11},
    {"1 Sam 12-21", 8, 12, 21},      {"1 Sam 22-31", 8, 22, 31},     {"2 Sam 1-14", 9, 1, 14},
    {"2 Sam 15-24", 9, 15, 24},      {"1 Kings 1-7", 10, 1, 7},      {"1 Kings 8-15", 10, 8, 15},
    {"1 Kings 16-22", 10, 16, 22},   {"2 Kings 1-12", 11, 1, 12},    {"2 Kings 13-19", 11, 13, 19},
    {"2 Kings 20-25", 11, 20, 25},   {"1 Chron 1-13", 12, 1, 13},    {"1 Chron 14-29", 12, 14, 29},
    {"2 Chron 1-11", 13, 1, 11},     {"2 Chron 12-28", 13, 12, 28},  {"2 Chron 29-36", 13, 29, 36},
    {"Exra", 14, 1, 0},              {"Nehemiah", 15, 1, 0},         {"Esther", 16, 1, 0},
    {"Job 1-22", 17, 1, 22},         {"Job 23-42", 17, 23, 42},      {"Psalms 1-33", 18, 1, 33},
    {"Psalms 34-68", 18, 34, 68},    {"Psalms 69-100", 18, 69, 100}, {"Psalms 101-135", 18, 101, 135},
    {"Psalms 136-50", 18, 136, 150}, {"Proverbs 1-16", 19, 1, 16},   {"Proverbs 17-31", 19, 17, 31},
    {"Ecclesiastes", 20, 1, 0},      {"Song", 21, 1, 0},             {"Isaiah 1-14", 22, 1, 14},
    {"Isaiah 15-33", 22, 15, 33},    {"Isaiah 34-49", 22, 34, 49},   {"Isaiah 50-66", 22, 50, 66},
    {"Jeremiah 1-12", 23, 1, 12},    {"Jeremiah 13-26", 23, 13, 26}, {"Jeremiah 27-39", 23, 27, 39},
    {"Jeremiah 40-49", 23, 40, 49},  {"Jeremiah 50-52", 23, 50, 52}, {"Lamentations", 24, 1, 0},
    {"Ezekiel 1-16", 25, 1, 16},     {"Ezekiel 17-28", 25, 17, 28},  {"Ezekiel 29-40", 25, 29, 40},
    {"Ezekiel 41-48", 25, 41, 48},   {"Daniel 1-5", 26, 1, 5},       {"Daniel 6-12", 26, 6, 12},
    {"Hosea", 27, 1, 0},             {"Joel", 28, 1, 0},             {"Amos", 29, 1, 0},
    {"Obediah", 30, 1, 0},           {"Jonah", 31, 1, 0},            {"Micah", 32, 1, 0},
    {"Nahum", 33, 1, 0},             {"Habakkuk", 34, 1, 0},         {"Zephaniah", 35, 1, 0},
    {"Haggai", 36, 1, 0},            {"Zechariah", 37, 1, 0},        {"Malachi", 38, 1, 0},
    {"Matthew 1-10", 39, 1, 10},     {"Matthew 11-21", 39, 11, 21},  {"Matthew 22-28", 39, 22, 28},
    {"Mark 1-9", 40, 1, 9},          {"Mark 10-16", 40, 10, 16},     {"Luke 1-7", 41, 1, 7},
    {"Luke 8-17", 41, 8, 17},        {"Luke 18-24", 41, 18, 24},     {"John 1-10", 42, 1, 10},
    {"John 11-21", 42, 11, 21},      {"Acts 1-8", 43, 1, 8},         {"Acts 9-19", 43, 9, 19},
    {"Acts 20-28", 43, 20, 28},      {"Romans", 44, 1, 0},           {"1 Corinthians", 45, 1, 0},
    {"2 Corinthians", 46, 1, 0},     {"Galatians", 47, 1, 0},        {"Ephesians", 48, 1, 0},
    {"Philippians", 49, 1, 0},       {"Colossians", 50, 1, 0},       {"1 Thessalonians", 51, 1, 0},
    {"2 Thessalonians", 52, 1, 0},   {"1 Timothy", 53, 1, 0},        {"2 Timothy", 54, 1, 0},
    {"Titus", 55, 1, 0},             {"Philemon", 56, 1, 0},         {"Hebrews", 57, 1, 0},
    {"James", 58, 1, 0},             {"1 Peter", 59, 1, 0},          {"2 Peter", 60, 1, 0},
    {"1 John", 61, 1, 0},            {"2 John", 62, 1, 0},           {"3 John", 63, 1, 0},
    {"Jude", 64, 1, 0},              {"Revelation 1-11", 65, 1, 11}, {"Revelation 12-22", 65, 12, 22},
};

// Chapter numbers of each book, as the text has them.
QMap<int, QSet<int>> chaptersByBook(const QVector<KjvVerse> &kjv)
{
    QMap<int, QSet<int>> books;
    for (const KjvVerse &verse : kjv)
        books[verse.bookIndex].insert(verse.chapter);
    return books;
}

// Checks that the table names every list key once and that its ranges give
// each chapter of the text exactly one section.
bool checkSections(const QVector<KjvVerse> &kjv, QString *error)
{
    const QStringList keys = SubjectLists::load(QString::fromUtf8(ReferenceSchema::Bible.subjectList.data(),
                                                                  qsizetype(ReferenceSchema::Bible.subjectList.size())));
    QSet<QString> tableKeys;
    for (const Section &section : Sections) {
        const QString key = QString::fromUtf8(section.key);
        if (tableKeys.contains(key) || !keys.contains(key)) {
            *error = QStringLiteral("Bible section \"%1\" is not a single item of the subject list").arg(key);
            return false;
        }
        tableKeys.insert(key);
    }
    for (const QString &key : keys) {
        if (!tableKeys.contains(key)) {
            *error = QStringLiteral("Bible subject \"%1\" has no chapter range").arg(key);
            return false;
        }
    }

    const QMap<int, QSet<int>> books = chaptersByBook(kjv);
    QMap<int, QSet<int>> covered;
    for (const Section &section : Sections) {
        const QSet<int> chapters = books.value(section.bookIndex);
        // A whole book holds at least its first chapter, even when the text lacks it.
        const int last = section.lastChapter ? section.lastChapter : std::max(1, int(chapters.size()));
        for (int chapter = section.firstChapter; chapter <= last; ++chapter) {
            if (!chapters.contains(chapter) || covered[section.bookIndex].contains(chapter)) {
                *error = QStringLiteral("Bible section \"%1\" names chapter %2, which %3")
                             .arg(QString::fromUtf8(section.key))
                             .arg(chapter)
                             .arg(chapters.contains(chapter) ? QStringLiteral("another section holds")
                                                             : QStringLiteral("the text lacks"));
                return false;
            }
            covered[section.bookIndex].insert(chapter);
        }
    }
    for (auto it = books.cbegin(); it != books.cend(); ++it) {
        for (int chapter : it.value()) {
            if (!covered.value(it.key()).contains(chapter)) {
                *error = QStringLiteral("%1 %2 belongs to no Bible section")
                             .arg(SwordSource::bookNames().value(it.key()))
                             .arg(chapter);
                return false;
            }
        }
    }
    return true;
}

QString verseLine(const KjvVerse &verse)
{
    QString line = verse.reference();
    line += QLatin1Char(' ');
    if (!verse.title.isEmpty()) {
        // The superscription is KJV text but not part of verse 1.
        line += QLatin1Char('[') + verse.title + QLatin1String("] ");
    }
    line += verse.text;
    return line;
}

} // namespace

namespace BibleBuilder {

std::optional<QVector<LibraryEntry>> build(const QVector<KjvVerse> &kjv, QString *error)
{
    if (!checkSections(kjv, error))
        return std::nullopt;

    const QMap<int, QSet<int>> books = chaptersByBook(kjv);
    QVector<LibraryEntry> entries;
    entries.reserve(qsizetype(std::size(Sections)));
    qsizetype next = 0; // the text and the table are both in canonical order
    for (const Section &section : Sections) {
        const int last = section.lastChapter ? section.lastChapter
                                             : int(books.value(section.bookIndex).size());
        const QString book = SwordSource::bookNames().value(section.bookIndex);
        QStringList lines;
        lines.append(section.firstChapter == last
                         ? QStringLiteral("%1 %2 (King James Version)").arg(book).arg(last)
                         : QStringLiteral("%1 %2-%3 (King James Version)").arg(book).arg(section.firstChapter).arg(last));
        int previousChapter = 0;
        int previousVerse = 0;
        while (next < kjv.size() && kjv.at(next).bookIndex == section.bookIndex
               && kjv.at(next).chapter <= last) {
            const KjvVerse &verse = kjv.at(next);
            if (verse.chapter < section.firstChapter || verse.chapter < previousChapter
                || (verse.chapter == previousChapter && verse.verse <= previousVerse)) {
                *error = QStringLiteral("the KJV text is not in canonical order at %1").arg(verse.reference());
                return std::nullopt;
            }
            previousChapter = verse.chapter;
            previousVerse = verse.verse;
            if (verse.verse == 1 || lines.size() == 1)
                lines.append(QString()); // a blank line opens each chapter
            lines.append(verseLine(verse));
            ++next;
        }
        entries.append({QString::fromUtf8(section.key), lines.join(QLatin1Char('\n'))});
    }
    if (next != kjv.size()) {
        *error = QStringLiteral("the KJV text is not in canonical order at %1").arg(kjv.at(next).reference());
        return std::nullopt;
    }
    return entries;
}

QVector<Chapter> chapters(const QVector<KjvVerse> &kjv)
{
    QMap<int, QMap<int, int>> verses; // book -> chapter -> verses
    for (const KjvVerse &verse : kjv)
        ++verses[verse.bookIndex][verse.chapter];
    QVector<Chapter> list;
    for (const Section &section : Sections) {
        const QMap<int, int> book = verses.value(section.bookIndex);
        const int last = section.lastChapter ? section.lastChapter : int(book.size());
        for (int chapter = section.firstChapter; chapter <= last; ++chapter)
            list.append({SwordSource::bookNames().value(section.bookIndex), chapter, book.value(chapter),
                         QString::fromUtf8(section.key)});
    }
    return list;
}

QVector<SourceInfo> sources()
{
    return {{QStringLiteral("King James Version (1769 text) with Strong's numbers, SWORD module engKJV2006eb"),
             QStringLiteral("sword-text-kjv"), QStringLiteral("Public domain (in the UK the Crown's letters patent govern its printing)"),
             QStringLiteral("CrossWire Bible Society and eBible.org; Strong's tags, notes and markup removed")}};
}

} // namespace BibleBuilder
