#include "FindIndex.h"

#include "reference/FindTables.h"
#include "reference/TextMatch.h"

namespace FindIndex {

ExtraTable findText(const QVector<LibraryEntry> &entries)
{
    ExtraTable table;
    table.ddl = FindTables::FindTextDdl;
    const std::string name(FindTables::FindText);
    table.insert = "INSERT INTO " + name + " (rowid, folded) VALUES (?, ?)";
    // Merged into one segment: smaller, and each query reads one b-tree.
    table.finish = "INSERT INTO " + name + " (" + name + ") VALUES ('optimize')";
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString &text = entries.at(i).text;
        if (text.startsWith(QLatin1String("{\\rtf")))
            continue;
        table.rows.append({qint64(i + 1), TextMatch::folded(text)});
    }
    return table;
}

ExtraTable bibleChapters(const QVector<BibleBuilder::Chapter> &chapters)
{
    ExtraTable table;
    table.ddl = FindTables::BibleChaptersDdl;
    table.insert = "INSERT INTO " + std::string(FindTables::BibleChapters)
        + " (book, chapter, verses, subject) VALUES (?, ?, ?, ?)";
    for (const BibleBuilder::Chapter &c : chapters)
        table.rows.append({c.book, c.chapter, c.verses, c.subject});
    return table;
}

} // namespace FindIndex
