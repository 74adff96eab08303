#pragma once

#include "reference/DataSource.h"
#include "reference/EntryDocumentCache.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

class LayoutPacer;
class QTextDocument;
class QTextEdit;

// Binds a reference view to its data source: whenever the current record
// changes, the view shows that record's entry field. Entries are shown by
// swapping in a document prepared on a worker thread rather than by setting
// text, so that the window never stalls on a long entry: one not prepared in
// time shows its beginning at once, and the whole as soon as it is built.
class BoundView : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BoundView)

public:
    // Shows the source's current record and follows it from then on.
    BoundView(DataSource *source, QTextEdit *view, QObject *parent = nullptr);
    ~BoundView() override;

    // Prepares, off the GUI thread, the entries that lookups of these keys
    // would show, the most likely first, and lets go of every other
    // prepared entry but the one shown: only what is near the user's place
    // stays ready. Runs once the view has painted; a newer call replaces
    // one not yet run.
    void prepareOnly(const QString &index, const QStringList &keys);

    DataSource *source() const;
    QTextEdit *view() const;
    EntryDocumentCache *cache() const { return m_cache; }
    std::optional<qint64> shownRowId() const { return m_shownRow; }
    // False while the view shows the beginning of a long entry whose
    // document is still being built.
    bool isComplete() const { return !m_preview; }
    // Shows the whole entry at once in place of its beginning (waiting for
    // the worker's copy when it is on its way): what searches the view needs.
    void completeNow();

    // The most of an entry a view holds: about twice the library's longest
    // entry, some 20 MB once laid out. Longer entries are cut, with a note.
    static constexpr qint64 MaxEntryBytes = 1 << 20;
    // Entries up to this size are read and built on the GUI thread when
    // asked for unprepared: some 5 ms (the library's longest entry, 563,000
    // characters, takes 12 to 15 ms and goes to the worker).
    static constexpr qint64 MaxBytesBuiltAtOnce = 200'000;
    // Of an entry still being built, the view shows this much at once:
    // more than a screenful, little to lay out.
    static constexpr qint64 PreviewBytes = 4096;
    // Entry text kept ready per view, whatever the neighbourhood holds.
    static constexpr qsizetype MaxKeptCharacters = 3'000'000;

    // The default font of the view's entry documents.
    static QFont entryFont(const QTextEdit *view);
    // An entry just shown is laid out in slices of about this long between
    // events, ahead of Qt's own layout steps, which grow to tens of
    // milliseconds on the longest entries.
    static constexpr qint64 LayoutSliceMs = 4;

private:
    void showCurrent();
    void entryPrepared(qint64 id);
    void prepareNow();
    // The entry as the view shows it; problem (when given) says why it
    // could not be read.
    EntryDocumentCache::Entry read(qint64 id, QString *problem) const;
    // Reads and builds record id on the worker thread.
    void prepareAside(qint64 id, bool urgent);
    // Shows a document of the view's own, dropped when the next one is
    // shown: a message, or (preview) the beginning of a long entry.
    void showTransient(const QString &text, const QString &note, bool preview = false);
    void showUnreadable(const QString &problem);
    void show(QTextDocument *doc, bool keepPlace = false);

    QPointer<DataSource> m_source;
    QPointer<QTextEdit> m_view;
    DataSource::EntryReader m_reader; // for the worker
    EntryDocumentCache *m_cache = nullptr;
    std::optional<qint64> m_shownRow;
    QPointer<QTextDocument> m_transient; // shown, not kept by the cache
    bool m_preview = false;              // m_transient is an entry's beginning
    QString m_prepareIndex;
    QStringList m_prepareKeys;
    QTimer m_prepareTimer;
    std::unique_ptr<LayoutPacer> m_layout; // of the entry shown, until done
    QTimer m_layoutTimer;
};
