#include "reference/BoundView.h"

#include "editor/LayoutPacer.h"
#include "editor/RtfReader.h"
#include "reference/DataSource.h"

#include <QFileInfo>
#include <QScrollBar>
#include <QSet>
#include <QTextDocument>
#include <QTextEdit>

BoundView::BoundView(DataSource *source, QTextEdit *view, QObject *parent)
    : QObject(parent)
    , m_source(source)
    , m_view(view)
    , m_cache(new EntryDocumentCache(entryFont(view), view, MaxKeptCharacters, this))
{
    m_prepareTimer.setSingleShot(true);
    m_prepareTimer.setInterval(0);
    connect(&m_prepareTimer, &QTimer::timeout, this, &BoundView::prepareNow);
    m_layoutTimer.setInterval(0);
    connect(&m_layoutTimer, &QTimer::timeout, this, [this] {
        if (!m_layout || !m_layout->step(LayoutSliceMs)) {
            m_layout.reset();
            m_layoutTimer.stop();
        }
    });
    connect(m_cache, &EntryDocumentCache::prepared, this, &BoundView::entryPrepared);
    connect(source, &DataSource::currentChanged, this, &BoundView::showCurrent);
    showCurrent();
}

BoundView::~BoundView() = default; // LayoutPacer is complete here

QFont BoundView::entryFont(const QTextEdit *view)
{
    // Entries are laid out without shaping where their script needs none:
    // half the work, which keeps every step of Qt's layout of the longest
    // entry within a frame. Words that need shaping keep it (see
    // EntryDocumentCache::build).
    QFont font = view->document()->defaultFont();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

DataSource *BoundView::source() const
{
    return m_source;
}

QTextEdit *BoundView::view() const
{
    return m_view;
}

namespace {

// What a view shows of an entry as read: nothing when it could not be read.
std::optional<EntryDocumentCache::Entry> toShow(const DataSource::EntryText &entry)
{
    if (!entry.problem.isEmpty())
        return std::nullopt;
    QString note;
    if (entry.truncated) {
        const auto mb = [](qint64 bytes) { return QString::number(double(bytes) / (1 << 20), 'f', 1); };
        note = BoundView::tr("This entry is %1 MB long, more than the view can hold: only its first %2 MB are shown.")
                   .arg(mb(entry.storedBytes), mb(BoundView::MaxEntryBytes));
    }
    return EntryDocumentCache::Entry(entry.text, note);
}

} // namespace

EntryDocumentCache::Entry BoundView::read(qint64 id, QString *problem) const
{
    const DataSource::EntryText entry = m_source->readEntry(id, MaxEntryBytes);
    if (problem)
        *problem = entry.problem;
    return toShow(entry).value_or(EntryDocumentCache::Entry());
}

void BoundView::prepareAside(qint64 id, bool urgent)
{
    if (!m_reader)
        m_reader = m_source->entryReader();
    if (!m_reader)
        return;
    m_cache->prefetch(id, [reader = m_reader, id] { return toShow(reader(id, MaxEntryBytes)); }, urgent);
}

void BoundView::showTransient(const QString &text, const QString &note, bool preview)
{
    std::unique_ptr<QTextDocument> doc = EntryDocumentCache::build({text, note}, entryFont(m_view));
    doc->setParent(m_view);
    show(doc.get());
    m_transient = doc.release();
    m_preview = preview;
}

void BoundView::showUnreadable(const QString &problem)
{
    showTransient({}, tr("This entry could not be read from the file \"%1\": %2.")
                          .arg(QFileInfo(m_source->path()).fileName(), problem));
}

void BoundView::showCurrent()
{
    if (!m_source || !m_view)
        return;
    const std::optional<qint64> row = m_source->currentRowId();
    if (!row) {
        // A move that failed to read the file: say so rather than show nothing.
        const QString problem = m_source->currentProblem();
        if (problem.isEmpty())
            return;
        m_shownRow.reset();
        showUnreadable(problem);
        return;
    }
    if (row == m_shownRow)
        return;
    const qint64 id = *row;
    m_shownRow = row;

    if (QTextDocument *doc = m_cache->kept(id)) {
        show(doc);
        return;
    }
    const DataSource::EntryText head = m_source->readEntry(id, PreviewBytes);
    if (!head.problem.isEmpty()) {
        showUnreadable(head.problem);
        return;
    }
    if (!head.truncated) {
        show(m_cache->document(id, head.text));
        return;
    }
    if (head.storedBytes <= MaxBytesBuiltAtOnce) {
        QString problem;
        const EntryDocumentCache::Entry entry = read(id, &problem);
        if (problem.isEmpty())
            show(m_cache->document(id, entry));
        else
            showUnreadable(problem);
        return;
    }
    // Too long to build within a frame: its beginning now, the whole once built.
    prepareAside(id, true);
    QString start = head.text;
    if (RtfReader::isRtf(start))
        start.clear(); // a cut RTF text would show its codes
    else if (const qsizetype lineEnd = start.lastIndexOf(QLatin1Char('\n')); lineEnd > 0)
        start.truncate(lineEnd);
    showTransient(start, {}, true);
}

void BoundView::entryPrepared(qint64 id)
{
    if (!m_preview || m_shownRow != id)
        return;
    if (QTextDocument *doc = m_cache->kept(id)) {
        show(doc, true);
        return;
    }
    // Not built: it could not be read (say why), or it was let go of
    // meanwhile (build it now).
    QString problem;
    const EntryDocumentCache::Entry entry = read(id, &problem);
    if (problem.isEmpty())
        show(m_cache->document(id, entry), true);
    else
        showUnreadable(problem);
}

void BoundView::completeNow()
{
    if (m_preview && m_shownRow)
        entryPrepared(*m_shownRow);
}

void BoundView::show(QTextDocument *doc, bool keepPlace)
{
    m_layoutTimer.stop();
    m_layout.reset();
    // Ours are parented to the view; its own first document dies in the swap.
    QTextDocument *previous = m_view->document();
    const bool previousOurs = previous && previous != doc && previous->parent() == m_view;
    const bool previousTransient = previousOurs && previous == m_transient;
    const int scrolled = m_view->verticalScrollBar()->value();
    const int anchor = m_view->textCursor().anchor();
    const int position = m_view->textCursor().position();

    m_transient = nullptr;
    m_preview = false;
    m_cache->setShown(doc);
    m_view->setDocument(doc);
    if (previousTransient)
        delete previous;
    else if (previousOurs)
        // Kept out of view: only its text. Its layout is rebuilt for the
        // view anyway, and an unfinished one would go on working unseen.
        previous->setDocumentLayout(nullptr);
    if (!keepPlace) {
        m_view->verticalScrollBar()->setValue(0);
        m_view->horizontalScrollBar()->setValue(0);
    } else {
        // The whole entry in place of its beginning: the reader stays where they were.
        if (anchor != 0 || position != 0) {
            const int end = doc->characterCount() - 1;
            QTextCursor c(doc);
            c.setPosition(std::min(anchor, end));
            c.setPosition(std::min(position, end), QTextCursor::KeepAnchor);
            m_view->setTextCursor(c);
        }
        m_view->verticalScrollBar()->setValue(scrolled);
    }
    m_layout = std::make_unique<LayoutPacer>(doc);
    m_layoutTimer.start();
}

void BoundView::prepareOnly(const QString &index, const QStringList &keys)
{
    m_prepareIndex = index;
    m_prepareKeys = keys;
    m_prepareTimer.start();
}

void BoundView::prepareNow()
{
    if (!m_source || !m_source->isOpen())
        return;
    QSet<qint64> wanted;
    if (m_shownRow)
        wanted.insert(*m_shownRow);
    QList<qint64> rows;
    for (const QString &key : std::as_const(m_prepareKeys)) {
        const std::optional<qint64> row = m_source->peek(m_prepareIndex, key);
        if (row && !wanted.contains(*row)) {
            rows << *row;
            wanted.insert(*row);
        }
    }
    m_cache->keepOnly(wanted);
    // Each request goes first in the queue: the least likely are asked for first.
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        if (!m_cache->contains(*it))
            prepareAside(*it, false);
}
