#pragma once

#include <QObject>
#include <QPointer>
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
    // would show, so that moving on to them costs only the swap.
    void prefetch(const QStringList &keys);

    DataSource *source() const { return m_source; }
    QTextEdit *view() const { return m_view; }
    EntryDocumentCache *cache() const { return m_cache; }
    LayoutPacer *pacer() const { return m_pacer; }
    std::optional<qint64> shownRowId() const { return m_shownRow; }

    // Entry text kept ready per view: the whole Bible fits.
    static constexpr qsizetype MaxKeptCharacters = 6'000'000;

private:
    void showCurrent();

    QPointer<DataSource> m_source;
    QPointer<QTextEdit> m_view;
    EntryDocumentCache *m_cache = nullptr;
    LayoutPacer *m_pacer = nullptr;
    std::optional<qint64> m_shownRow;
};
