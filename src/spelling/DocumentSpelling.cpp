#include "spelling/DocumentSpelling.h"

#include "editor/TextDecorations.h"
#include "spelling/SpellChecker.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {

// Longer runs of letters are not words a dictionary can judge.
constexpr int LongestWord = 64;
// How far an edit may change the length of the text and still be typing.
constexpr int TypedCharacters = 2;

bool isJoiner(QChar c)
{
    return c == u'\'' || c == QChar(0x2019) || c == u'-' || c == QChar(0x2010) || c == QChar(0x2011);
}

bool isHyphen(QChar c)
{
    return c == u'-' || c == QChar(0x2010) || c == QChar(0x2011);
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

// Characters that put a word inside an address, a file name or the like.
bool isAddressMark(QChar c)
{
    return c == u'@' || c == u'/' || c == u'\\' || c == u'_';
}

bool checkable(QStringView word)
{
    if (word.size() > LongestWord)
        return false;
    bool letter = false;
    for (QChar c : word) {
        if (c.isDigit())
            return false;
        if (c.isLetter()) {
            if (c.script() != QChar::Script_Latin)
                return false;
            letter = true;
        }
    }
    return letter;
}

} // namespace

DocumentSpelling::DocumentSpelling(QTextEdit *view, TextDecorations *decorations,
                                   std::shared_ptr<SpellChecker> checker)
    : QObject(view)
    , m_view(view)
    , m_decorations(decorations)
    , m_checker(std::move(checker))
{
    QTextCharFormat mark;
    mark.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    mark.setUnderlineColor(Qt::red);
    const QPointer<DocumentSpelling> self(this);
    m_source = decorations->addSource([self, mark](const QTextBlock &block) {
        QList<QTextLayout::FormatRange> ranges;
        if (!self)
            return ranges;
        for (const Word &w : self->misspelled(block)) {
            QTextLayout::FormatRange r;
            r.start = w.start;
            r.length = w.length;
            r.format = mark;
            ranges.append(r);
        }
        return ranges;
    });
    connect(view, &QTextEdit::textChanged, this, &DocumentSpelling::followDocument);
    connect(view, &QTextEdit::cursorPositionChanged, this, &DocumentSpelling::caretMoved);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    followDocument();
}

DocumentSpelling::~DocumentSpelling() = default;

void DocumentSpelling::setEnabled(bool on)
{
    if (m_enabled == on)
        return;
    m_enabled = on;
    m_decorations->refresh(m_source);
}

QList<DocumentSpelling::Word> DocumentSpelling::words(QStringView text)
{
    QList<Word> out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (!isWordCharacter(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n) {
            if (isWordCharacter(text[i]))
                ++i;
            else if (isJoiner(text[i]) && i + 1 < n && isWordCharacter(text[i + 1]))
                i += 2;
            else
                break;
        }
        // "www.example.org", "name@example.org", "C:\sermons", "file_name".
        const QChar before = start > 0 ? text[start - 1] : QChar();
        const QChar after = i < n ? text[i] : QChar();
        const bool dottedBefore = before == u'.' && start > 1 && isWordCharacter(text[start - 2]);
        const bool dottedAfter = after == u'.' && i + 1 < n && isWordCharacter(text[i + 1]);
        if (isAddressMark(before) || isAddressMark(after) || dottedBefore || dottedAfter)
            continue;
        if (checkable(text.sliced(start, i - start)))
            out.append({int(start), int(i - start)});
    }
    return out;
}

QList<DocumentSpelling::Word> DocumentSpelling::misspelled(const QTextBlock &block)
{
    QList<Word> out;
    if (!m_enabled || !m_checker->hasDictionary())
        return out;
    const QString text = block.text();
    const int base = block.position();
    const bool typingHere = m_typingStart >= base && m_typingStart <= base + int(text.size());
    for (const Word &w : words(text)) {
        if (typingHere && base + w.start <= m_typingEnd && base + w.start + w.length >= m_typingStart)
            continue;
        const QString word = text.mid(w.start, w.length);
        if (known(word))
            continue;
        // A compound is marked where its parts are wrong ("well-knwon").
        QList<Word> parts;
        const int end = w.start + w.length;
        for (int i = w.start, partStart = w.start; i <= end; ++i) {
            if (i < end && !isHyphen(text.at(i)))
                continue;
            if (i > partStart && !known(text.mid(partStart, i - partStart)))
                parts.append({partStart, i - partStart});
            partStart = i + 1;
        }
        if (parts.isEmpty())
            out.append(w);
        else
            out.append(parts);
    }
    return out;
}

bool DocumentSpelling::known(const QString &word)
{
    auto it = m_known.constFind(word);
    if (it == m_known.constEnd())
        it = m_known.insert(word, m_checker->isCorrect(word));
    return it.value();
}

void DocumentSpelling::followDocument()
{
    QTextDocument *document = m_view ? m_view->document() : nullptr;
    if (document == m_document)
        return;
    disconnect(m_contentsConnection);
    m_document = document;
    m_typingStart = m_typingEnd = -1;
    if (document)
        m_contentsConnection = connect(document, &QTextDocument::contentsChange, this, &DocumentSpelling::noteEdit);
}

void DocumentSpelling::noteEdit(int from, int removed, int added)
{
    // Typing: the caret stands in or at the end of what changed, and the
    // text grew or shrank by a keystroke or two. (The span the document
    // reports may be wider than the keystroke.)
    const QTextCursor caret = m_view->textCursor();
    const int at = caret.position();
    const bool typing = !caret.hasSelection() && at >= from && at <= from + added
        && qAbs(added - removed) <= TypedCharacters;
    const int before = m_typingStart;
    if (typing) {
        std::tie(m_typingStart, m_typingEnd) = wordAround(at);
        return;
    }
    m_typingStart = m_typingEnd = -1;
    if (before >= 0 && m_document)
        m_decorations->refreshBlock(m_document->findBlock(before), m_source);
}

void DocumentSpelling::caretMoved()
{
    if (m_typingStart < 0 || !m_document)
        return;
    const QTextCursor caret = m_view->textCursor();
    if (!caret.hasSelection() && caret.position() >= m_typingStart && caret.position() <= m_typingEnd)
        return;
    // The caret has left the word: it is checked now.
    const QTextBlock block = m_document->findBlock(m_typingStart);
    m_typingStart = m_typingEnd = -1;
    m_decorations->refreshBlock(block, m_source);
}

std::pair<int, int> DocumentSpelling::wordAround(int position) const
{
    const QTextDocument *doc = m_document;
    const auto part = [doc](int p) { return isWordCharacter(doc->characterAt(p)); };
    const auto joiner = [doc](int p) { return isJoiner(doc->characterAt(p)); };
    int start = position;
    while (start > 0 && position - start < LongestWord
           && (part(start - 1) || (joiner(start - 1) && start > 1 && part(start - 2) && part(start))))
        --start;
    int end = position;
    const int last = doc->characterCount() - 1;
    while (end < last && end - position < LongestWord
           && (part(end) || (joiner(end) && end > 0 && part(end - 1) && part(end + 1))))
        ++end;
    return {start, end};
}

void DocumentSpelling::relearn()
{
    m_known.clear();
    m_decorations->refresh(m_source);
}

bool DocumentSpelling::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ContextMenu || !m_view)
        return false;
    const auto *e = static_cast<QContextMenuEvent *>(event);
    if (watched == m_view->viewport() && e->reason() == QContextMenuEvent::Mouse)
        return showMenu(m_view->cursorForPosition(e->pos()).position(), e->globalPos());
    if (watched == m_view && e->reason() != QContextMenuEvent::Mouse)
        return showMenu(m_view->textCursor().position(),
                        m_view->viewport()->mapToGlobal(m_view->cursorRect().center()));
    return false;
}

bool DocumentSpelling::showMenu(int position, const QPoint &globalPos)
{
    if (!m_enabled || !m_document)
        return false;
    const QTextBlock block = m_document->findBlock(position);
    const int local = position - block.position();
    Word found{-1, 0};
    for (const Word &w : misspelled(block)) {
        if (local >= w.start && local <= w.start + w.length)
            found = w;
    }
    if (found.start < 0)
        return false;
    const QString word = block.text().mid(found.start, found.length);
    const int start = block.position() + found.start;

    QMenu *menu = m_view->createStandardContextMenu(m_view->viewport()->mapFromGlobal(globalPos)
                                                    + QPoint(m_view->horizontalScrollBar()->value(),
                                                             m_view->verticalScrollBar()->value()));
    menu->setObjectName(QStringLiteral("spellingMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *standard = menu->actions().value(0);
    const QStringList suggestions = m_checker->suggestions(word, MaxSuggestions);
    for (const QString &s : suggestions) {
        auto *a = new QAction(s, menu);
        connect(a, &QAction::triggered, this, [this, start, word, s] { replace(start, int(word.size()), word, s); });
        menu->insertAction(standard, a);
    }
    if (suggestions.isEmpty()) {
        auto *none = new QAction(QStringLiteral("(No Spelling Suggestions)"), menu);
        none->setEnabled(false);
        menu->insertAction(standard, none);
    }
    menu->insertSeparator(standard);
    auto *ignore = new QAction(QStringLiteral("Ignore All"), menu);
    connect(ignore, &QAction::triggered, this, [this, word] {
        m_checker->ignore(word);
        relearn();
    });
    auto *add = new QAction(QStringLiteral("Add to Dictionary"), menu);
    connect(add, &QAction::triggered, this, [this, word] {
        QString reason;
        const bool saved = m_checker->addToDictionary(word, &reason);
        relearn();
        if (!saved)
            emit addFailed(reason);
    });
    menu->insertActions(standard, {ignore, add});
    if (standard)
        menu->insertSeparator(standard);
    // Shown without waiting for it, the actions reach back when chosen.
    menu->popup(globalPos);
    return true;
}

bool DocumentSpelling::replace(int position, int length, const QString &expected, const QString &with)
{
    if (!m_document)
        return false;
    QTextCursor cursor(m_document);
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    if (cursor.selectedText() != expected)
        return false;
    QTextCursor first(m_document);
    first.setPosition(position);
    first.setPosition(position + 1, QTextCursor::KeepAnchor);
    const QTextCharFormat format = first.charFormat();
    cursor.beginEditBlock();
    cursor.insertText(with, format);
    cursor.endEditBlock();
    return true;
}
