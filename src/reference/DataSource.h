#pragma once

#include "reference/ReferenceSchema.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// A hidden data control over one reference table: opens its database
// read-only, keeps a current record and moves it by index, key and "first".
// The entry field of the current record is what the bound view shows.
class DataSource : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DataSource)

public:
    explicit DataSource(QObject *parent = nullptr);
    ~DataSource() override;

    // Opens the file read-only and checks that it holds the table, its
    // entry field, the named index and at least one record. The first
    // record in table order becomes current. On failure the source stays
    // closed and problem (when given) says what is wrong, in words for
    // the user: what the file is when it is no database file at all.
    bool open(const QString &path, const ReferenceSchema::Table &schema, QString *problem = nullptr);
    bool isOpen() const { return m_db != nullptr; }
    void close();

    // Later seeks and moves follow this index's order. An index that the
    // table does not have is an error and leaves the selection unchanged.
    bool selectIndex(const QString &name, QString *problem = nullptr);
    QString currentIndex() const { return m_index; }

    // Seek with the comparison "=": the first record in index order whose
    // key equals the value exactly (case and blanks count) becomes current.
    // Without such a record noMatch() is true and the current record stays.
    // When the file cannot be read, noMatch() is false and no record is
    // current: currentProblem() says why.
    void seek(const QString &key);
    bool noMatch() const { return m_noMatch; }

    // The first record in the selected index's order becomes current (or,
    // when the file cannot be read, none: see currentProblem()).
    void moveFirst();

    std::optional<qint64> currentRowId() const { return m_current; }
    // Why the last move found no record to make current because the file
    // could not be read; empty while a record is current.
    QString currentProblem() const { return m_currentProblem; }
    // The entry field of the current record; empty without one.
    QString entry() const;

    // The record that a lookup of this key in this index would make
    // current (the one found, or the first one), without moving or
    // selecting anything: lets views prepare entries ahead of the user.
    std::optional<qint64> peek(const QString &index, const QString &key) const;
    // The entry field of any record; empty for an unknown row or one that
    // cannot be read.
    QString entryAt(qint64 rowId) const;

    // --- Find across the panel (tables the importer may add) ---

    // The records that the file's find index proves not to hold the text
    // (folded by TextMatch). Empty when the file has no such index or the
    // text is too short for it (under three characters).
    QSet<qint64> rowsWithout(const QString &foldedText) const;

    // Reads the entry field of the records in the order given, handing each
    // to test with its row id, and returns the first record it accepts.
    // Made for scans over many long entries.
    std::optional<qint64> firstEntryWhere(const QList<qint64> &rowIds,
                                          const std::function<bool(qint64, const QString &)> &test) const;

    // One chapter of the Bible, when the file lists the chapters.
    struct Chapter {
        QString subject; // the key of the section holding it
        int verses = 0;
    };
    bool hasChapterList() const;
    std::optional<Chapter> chapter(const QString &book, int number) const;
    // How many chapters the book has; 0 for a book the list lacks.
    int chapterCount(const QString &book) const;

    // An entry as a view shows it: at most maxBytes of its stored text
    // (cut at a character), and why it could not be read if it could not.
    struct EntryText {
        QString text;
        bool truncated = false; // more is stored than was read
        qint64 storedBytes = 0; // the whole entry's stored size
        QString problem;        // empty when the entry was read
    };
    EntryText readEntry(qint64 rowId, qint64 maxBytes) const;

    // Reads entries as readEntry() does, for another thread: it opens the
    // file again, read-only, on its first call. Failures come back in the
    // result only. Empty while the source is closed.
    using EntryReader = std::function<EntryText(qint64 rowId, qint64 maxBytes)>;
    EntryReader entryReader() const;

    // The file as opened; empty while closed.
    QString path() const { return m_path; }

signals:
    // The current record is now a different one.
    void currentChanged();
    // Reading the open file failed: problem gives SQLite's reason. Raised
    // for every failing read; the window tells the user once per file.
    void readFailed(const QString &problem) const;

private:
    struct Ordering {
        QString keyColumn;  // quoted identifier
        QString orderBy;    // index columns with collation and direction, then rowid
    };

    bool fail(QString *problem, const QString &text);
    std::optional<Ordering> orderingOf(const QString &index, QString *problem) const;
    // A failing read is reported and sets *failed.
    std::optional<qint64> firstRowId(const QString &orderBy, bool *failed = nullptr) const;
    std::optional<qint64> findRowId(const Ordering &ordering, const QString &key, bool *failed = nullptr) const;
    // The rowid in the first row of sql, with ?1 bound to key when given.
    std::optional<qint64> rowIdOf(const QString &sql, const QString *key, bool *failed) const;
    void setCurrent(std::optional<qint64> rowId);
    void setUnreadable();
    QString sqliteError() const;
    void reportReadFailure() const;

    // Where an entry is stored, as given.
    struct EntryLayout {
        QString tableName;
        QString field;
        QString encoding; // the database's text encoding
    };
    static EntryText readEntryFrom(sqlite3 *db, const EntryLayout &layout, qint64 rowId, qint64 maxBytes);

    sqlite3 *m_db = nullptr;
    QString m_path;
    QString m_table;       // quoted identifier
    QString m_tableName;   // as given
    QString m_entryColumn; // quoted identifier
    EntryLayout m_layout;
    QString m_index;
    std::optional<Ordering> m_ordering;
    mutable std::optional<bool> m_hasChapterList;
    std::optional<qint64> m_current;
    QString m_currentProblem;
    bool m_noMatch = false;
    // Records the find index covers, read when first needed.
    mutable std::optional<QSet<qint64>> m_indexedRows;
};
