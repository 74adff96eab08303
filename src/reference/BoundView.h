#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <optional>

class DataSource;
class EntryDocumentCache;
class LayoutPacer;
class QTextDocument;
class QTextEdit;

// Binds a reference view to its data source: whenever the current record
// changes, the view shows that record's entry field. Entries are shown by
// swapping in a prepared document rather than by setting text, so that even
// the longest entry appears at once and the window never stalls on it.
class BoundView : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BoundView)

public:
    // Shows the source's current record at once and follows it from then on.
    BoundView(DataSource *source, QTextEdit *view, QObject *parent = nullptr);
    ~BoundView() override;

    // Prepares, off the GUI thread, the entries that lookups of these keys
    // would show, so that moving on to them costs only the swap. Runs once
    // the view has painted; a newer call replaces one not yet run.
    void prefetch(const QString &index, const QStringList &keys);

    // Prepares the entries of all these keys, one at a time while the
    // worker has nothing else to do, until the kept text nears its limit:
    // after a while even a far jump in the list finds its entry ready.
    void warmUp(const QString &index, const QStringList &keys);

    DataSource *source() const;
    QTextEdit *view() const;
    EntryDocumentCache *cache() const { return m_cache; }
    LayoutPacer *pacer() const { return m_pacer; }
    std::optional<qint64> shownRowId() const { return m_shownRow; }

    // Entry text kept ready per view: the whole Bible fits.
    static constexpr qsizetype MaxKeptCharacters = 6'000'000;
    // Pause between two warm-up entries.
    static constexpr int WarmUpInterval = 40;

private:
    void showCurrent();
    void prefetchNow();
    void warmUpStep();

    QPointer<DataSource> m_source;
    QPointer<QTextEdit> m_view;
    EntryDocumentCache *m_cache = nullptr;
    LayoutPacer *m_pacer = nullptr;
    std::optional<qint64> m_shownRow;
    QString m_prefetchIndex;
    QStringList m_prefetchKeys;
    QTimer m_prefetchTimer;
    QString m_warmUpIndex;
    QStringList m_warmUpKeys;
    QTimer m_warmUpTimer;
};
