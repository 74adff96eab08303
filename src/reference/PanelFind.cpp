#include "reference/PanelFind.h"

#include "editor/RichTextBox.h"
#include "editor/RtfReader.h"
#include "reference/BibleReference.h"
#include "reference/DataSource.h"
#include "reference/EntryDocumentCache.h"
#include "reference/SubjectList.h"
#include "reference/TextMatch.h"

#include <QScrollBar>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// The line that starts with the verse's label ("John 3:16 "): its start, or -1.
qsizetype verseLine(const QString &text, const QString &book, int chapter, int verse)
{
    const QString label = QStringLiteral("%1 %2:%3 ").arg(book).arg(chapter).arg(verse);
    if (text.startsWith(label))
        return 0;
    const qsizetype at = text.indexOf(QLatin1Char('\n') + label);
    return at < 0 ? -1 : at + 1;
}

} // namespace

PanelFind::PanelFind(Panel panel, DataSource *source, const QString &index, SubjectList *list, RichTextBox *view,
                     QObject *parent)
    : QObject(parent)
    , m_panel(panel)
    , m_source(source)
    , m_index(index)
    , m_list(list)
    , m_view(view)
{
}

PanelFind::Result PanelFind::find(const QString &text, QString *problem)
{
    if (!m_view)
        return Result::NotFound;
    completeView();
    const bool hadSelection = m_view->textCursor().hasSelection();
    const bool userSelection = hadSelection && !selectionIsOwn();
    const bool canMove = m_source && m_source->isOpen() && m_list;
    const bool canLeave = !userSelection && canMove;

    // Text that names a place goes there, wherever the words occur first,
    // and whatever the user had selected.
    if (canMove && m_panel == Panel::Bible) {
        if (const std::optional<BibleReference> ref = BibleReference::parse(text)) {
            if (const std::optional<Result> result = goTo(*ref, problem))
                return *result;
        }
    }
    // The other entry that holds the text, when the headword search has seen it.
    std::optional<std::optional<int>> rowSeen;
    if (canLeave && m_panel == Panel::Dictionary) {
        int textRow = -2;
        if (goToHeadword(text.trimmed(), &textRow))
            return Result::Found;
        if (textRow != -2 && text.trimmed() == text)
            rowSeen = textRow >= 0 ? std::optional<int>(textRow) : std::nullopt;
    }

    if (m_view->Find(text) >= 0) {
        rememberSelection();
        return Result::Found;
    }
    if (!canLeave || text.isEmpty())
        return Result::NotFound;
    // The selection searched was one Find left: the rest of the entry first.
    if (hadSelection && m_view->Find(text, 0) >= 0) {
        rememberSelection();
        return Result::Found;
    }
    const std::optional<int> row = rowSeen ? *rowSeen : rowHolding(TextMatch::folded(text), Wrap::Yes);
    if (!row)
        return Result::NotFound;
    show(*row);
    if (m_view->Find(text, 0) < 0)
        return Result::NotFound;
    scrollToSelection();
    rememberSelection();
    return Result::Found;
}

void PanelFind::findNext(const QString &text)
{
    if (!m_view)
        return;
    m_view->SetFocus();
    completeView();
    if (m_view->Find(text, m_view->SelStart() + 1) >= 0) {
        rememberSelection();
        return;
    }
    // Past the entry's last occurrence: the next entry down the list that
    // holds the text. After the panel's last one nothing changes.
    if (text.isEmpty() || !m_source || !m_source->isOpen() || !m_list)
        return;
    const std::optional<int> row = rowHolding(TextMatch::folded(text), Wrap::No);
    if (!row)
        return;
    show(*row);
    if (m_view->Find(text, 0) < 0)
        return;
    scrollToSelection();
    rememberSelection();
}

PanelFind::Result PanelFind::showReference(const BibleReference &ref, QString *problem)
{
    if (!m_view || !m_source || !m_source->isOpen() || !m_list)
        return Result::NotFound;
    completeView();
    return goTo(ref, problem).value_or(Result::NotFound);
}

std::optional<PanelFind::Result> PanelFind::goTo(const BibleReference &ref, QString *problem)
{
    // Without the file's chapter list the text is searched as text.
    if (!m_source->hasChapterList())
        return std::nullopt;
    std::optional<DataSource::Chapter> chapter;
    // A range into a later chapter: both ends must be there.
    for (const auto &[number, verse] : {std::pair{ref.endChapter(), ref.lastVerse}, std::pair{ref.chapter, ref.firstVerse}}) {
        chapter = m_source->chapter(ref.book, number);
        if (!chapter) {
            const int chapters = m_source->chapterCount(ref.book);
            if (chapters == 0)
                return std::nullopt;
            if (problem)
                *problem = chapters == 1
                    ? tr("There is no %1 in the Bible: %2 has only one chapter.").arg(ref.text(), ref.book)
                    : tr("There is no %1 in the Bible: %2 has %3 chapters.").arg(ref.text(), ref.book).arg(chapters);
            return Result::NoSuchReference;
        }
        if (verse > chapter->verses) {
            if (problem)
                *problem = tr("There is no %1 in the Bible: %2 %3 has %4 verses.")
                               .arg(ref.text(), ref.book)
                               .arg(number)
                               .arg(chapter->verses);
            return Result::NoSuchReference;
        }
    }
    int row = -1;
    for (int i = 0; i < m_list->count() && row < 0; ++i)
        if (m_list->item(i)->text() == chapter->subject)
            row = i;
    if (row < 0)
        return std::nullopt;

    show(row);
    const QString text = m_view->Text();
    const int first = qMax(1, ref.firstVerse);
    const qsizetype start = verseLine(text, ref.book, ref.chapter, first);
    if (start < 0)
        return std::nullopt;
    qsizetype end = text.size();
    if (ref.endChapter() == ref.chapter && ref.lastVerse <= first) {
        end = text.indexOf(QLatin1Char('\n'), start);
    } else {
        // The last verse may lie in the next section: then up to the end.
        const qsizetype lastStart = verseLine(text, ref.book, ref.endChapter(), ref.lastVerse);
        if (lastStart < 0 && ref.endChapter() == ref.chapter)
            return std::nullopt;
        if (lastStart >= 0)
            end = text.indexOf(QLatin1Char('\n'), lastStart);
    }
    if (end < 0)
        end = text.size();
    m_view->setSelection(int(start), int(end - start));
    scrollToSelection();
    rememberSelection();
    return Result::Found;
}

bool PanelFind::goToHeadword(const QString &word, int *textRow)
{
    if (word.isEmpty() || word.contains(QLatin1Char('\n')))
        return false;
    const QString folded = TextMatch::folded(word);
    // The article in the entry on show comes first.
    qsizetype at = TextMatch::indexOfLine(m_view->Text(), folded);
    if (at < 0) {
        // One pass over the other entries finds both the first article and
        // the first entry that merely holds the word.
        *textRow = -1;
        const QList<QPair<qint64, int>> entries = otherEntries(folded, Wrap::Yes);
        QList<qint64> ids;
        QHash<qint64, int> rows;
        for (const auto &[id, row] : entries) {
            ids.append(id);
            rows.insert(id, row);
        }
        const std::optional<qint64> found = m_source->firstEntryWhere(ids, [&](qint64 id, const QString &entry) {
            const QString text = shownText(entry);
            // Until the first holder is known each entry is searched for the
            // word, after it only for the line: one pass over each either way.
            if (*textRow < 0) {
                if (TextMatch::indexOfFolded(text, folded) < 0)
                    return false;
                *textRow = rows.value(id);
            }
            return TextMatch::indexOfLine(text, folded) >= 0;
        });
        if (!found)
            return false;
        show(rows.value(*found));
        at = TextMatch::indexOfLine(m_view->Text(), folded);
        if (at < 0)
            return false;
    }
    m_view->setSelection(int(at), int(word.size()));
    scrollToSelection();
    rememberSelection();
    return true;
}

void PanelFind::show(int row)
{
    // Exactly the user's click: the list's own handler looks the subject up.
    m_list->setCurrentRow(row);
    m_list->scrollToItem(m_list->item(row));
    completeView();
}

void PanelFind::completeView()
{
    if (m_beforeSearch)
        m_beforeSearch();
}

void PanelFind::scrollToSelection()
{
    QTextCursor start = m_view->textCursor();
    start.setPosition(start.selectionStart());
    start.movePosition(QTextCursor::StartOfBlock);
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(bar->value() + m_view->cursorRect(start).top());
}

std::optional<int> PanelFind::rowHolding(const QString &folded, Wrap wrap)
{
    const QList<QPair<qint64, int>> entries = otherEntries(folded, wrap);
    QList<qint64> ids;
    for (const auto &entry : entries)
        ids.append(entry.first);
    const std::optional<qint64> found = m_source->firstEntryWhere(ids, [&](qint64, const QString &entry) {
        return TextMatch::indexOfFolded(shownText(entry), folded) >= 0;
    });
    if (!found)
        return std::nullopt;
    return entries.at(ids.indexOf(*found)).second;
}

QList<QPair<qint64, int>> PanelFind::otherEntries(const QString &filter, Wrap wrap)
{
    const QSet<qint64> without = m_source->rowsWithout(filter);
    const int count = m_list->count();
    const int current = m_list->currentRow();
    QSet<qint64> seen;
    if (const std::optional<qint64> shown = m_source->currentRowId())
        seen.insert(*shown);
    QList<QPair<qint64, int>> entries;
    for (int step = 1; step <= count; ++step) {
        const int row = current < 0 ? step - 1 : (current + step) % count;
        if (row == current || (wrap == Wrap::No && row < current))
            continue;
        const std::optional<qint64> id = rowIdOf(m_list->item(row)->text());
        if (!id || seen.contains(*id))
            continue;
        seen.insert(*id);
        if (!without.contains(*id))
            entries.append({*id, row});
    }
    return entries;
}

QString PanelFind::shownText(const QString &entry) const
{
    if (!RtfReader::isRtf(entry))
        return entry;
    // Formatted entries are searched as the view shows them. Only the text
    // is wanted: the view's font without its no-shaping hint spares the
    // pass that restores shaping for the words that need it.
    QFont font = m_view->document()->defaultFont();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() & ~QFont::PreferNoShaping));
    QString text = EntryDocumentCache::build(entry, font)->toRawText();
    for (QChar &c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    return text;
}

std::optional<qint64> PanelFind::rowIdOf(const QString &key)
{
    // The files never change while the program runs: ask once per key.
    const auto known = m_rowIds.constFind(key);
    if (known != m_rowIds.constEnd())
        return *known;
    const std::optional<qint64> id = m_source->peek(m_index, key);
    if (id)
        m_rowIds.insert(key, *id);
    return id;
}

bool PanelFind::selectionIsOwn() const
{
    const QTextCursor c = m_view->textCursor();
    return m_ownDocument && m_ownDocument == m_view->document() && c.selectionStart() == m_ownStart
        && c.selectionEnd() == m_ownEnd;
}

void PanelFind::rememberSelection()
{
    const QTextCursor c = m_view->textCursor();
    m_ownDocument = m_view->document();
    m_ownStart = c.selectionStart();
    m_ownEnd = c.selectionEnd();
}
