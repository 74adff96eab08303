#include "scripture/ScriptureCommands.h"

#include "editor/RichTextBox.h"
#include "scripture/BibleText.h"
#include "scripture/LiveReferences.h"
#include "scripture/dlgInsertScripture.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>

namespace {

// How far back from the caret a reference that ends there is looked for.
constexpr int CaretReach = 400;

// The format of the character at position (the cursor's own format is that
// of the character before it).
QTextCharFormat formatAt(QTextDocument *document, int position)
{
    QTextCursor c(document);
    c.setPosition(position);
    if (!c.atBlockEnd())
        c.movePosition(QTextCursor::NextCharacter);
    return c.charFormat();
}

} // namespace

ScriptureCommands::ScriptureCommands(QWidget *window, RichTextBox *document, RichTextBox *bibleView, DataSource *bible,
                                     std::function<void(const BibleReference &)> show, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_document(document)
    , m_bibleView(bibleView)
    , m_bible(std::make_unique<BibleText>(bible))
{
    m_live = new LiveReferences(document, m_bible.get(), std::move(show), this);
    document->viewport()->installEventFilter(this);
}

ScriptureCommands::~ScriptureCommands() = default;

std::optional<QStringList> ScriptureCommands::passageOf(const QString &typed, QString *message) const
{
    const std::optional<QList<BibleReference>> refs = BibleReference::parseList(typed);
    if (!refs) {
        *message = tr("\"%1\" is not a Bible reference.\n\nType a book with a chapter and verses, for example "
                      "John 3:16, Romans 8:28-30, Ps 23, Gen 1:26-2:3 or John 3:16; Rom 5:8.")
                       .arg(typed);
        return std::nullopt;
    }
    QString problem;
    std::optional<QStringList> passage = m_bible->passage(*refs, &problem);
    if (!passage)
        *message = tr("\"%1\" is not in the Bible: %2.").arg(typed, problem);
    return passage;
}

QString ScriptureCommands::problemWith(const QString &typed) const
{
    QString message;
    passageOf(typed, &message);
    return message;
}

void ScriptureCommands::insertScripture()
{
    if (!m_document || m_document->isBusy())
        return;
    QTextCursor cursor = m_document->textCursor();
    QString typed;
    if (cursor.hasSelection()) {
        const QString selected = m_document->SelText();
        if (BibleReference::parseList(selected)) {
            // Blanks selected around the reference stay.
            qsizetype first = 0;
            qsizetype last = selected.size();
            while (selected.at(first).isSpace())
                ++first;
            while (selected.at(last - 1).isSpace())
                --last;
            const int start = cursor.selectionStart();
            cursor.setPosition(start + int(first));
            cursor.setPosition(start + int(last), QTextCursor::KeepAnchor);
            typed = selected.mid(first, last - first);
        }
    } else {
        // The reference that ends the line before the caret (blanks after it stay).
        const QTextBlock block = cursor.block();
        const int at = cursor.positionInBlock();
        const int from = qMax(0, at - CaretReach);
        const QString before = block.text().mid(from, at - from);
        qsizetype end = before.size();
        while (end > 0 && (before.at(end - 1) == QLatin1Char(' ') || before.at(end - 1) == QLatin1Char('\t')))
            --end;
        const QList<BibleReference::Found> found = BibleReference::findIn(before);
        if (!found.isEmpty() && found.constLast().listStart + found.constLast().listLength == end) {
            const BibleReference::Found &last = found.constLast();
            cursor.setPosition(block.position() + from + int(last.listStart));
            cursor.setPosition(block.position() + from + int(last.listStart + last.listLength), QTextCursor::KeepAnchor);
            typed = cursor.selectedText();
        }
    }

    if (typed.isEmpty()) {
        dlgInsertScripture dialog([this](const QString &text) { return problemWith(text); }, m_window);
        dialog.setReference(m_lastTyped);
        if (dialog.exec() != QDialog::Accepted)
            return;
        typed = dialog.reference();
        m_lastTyped = typed;
        // The dialog's passage goes where typing would.
        cursor = m_document->textCursor();
    }
    QString message;
    const std::optional<QStringList> passage = passageOf(typed, &message);
    if (!passage) {
        refuse(message);
        return;
    }
    const QTextCharFormat format = cursor.hasSelection() ? formatAt(m_document->document(), cursor.selectionStart())
                                                         : m_document->currentCharFormat();
    write(cursor, *passage, format);
}

void ScriptureCommands::write(QTextCursor cursor, const QStringList &paragraphs, const QTextCharFormat &format)
{
    // A long command owns the document until it ends (a dialog may have been open meanwhile).
    if (m_document->isBusy())
        return;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            cursor.insertBlock(cursor.blockFormat(), format);
        cursor.insertText(paragraphs.at(i), format);
    }
    cursor.endEditBlock();
    m_document->setTextCursor(cursor);
    m_document->ensureCursorVisible();
}

void ScriptureCommands::refuse(const QString &message)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Vellumor"), message, QMessageBox::Ok, m_window);
    box.exec();
}

std::optional<QStringList> ScriptureCommands::passageOfSelection(const QTextCursor &selection) const
{
    // Each verse is a line of its own: "John 3:16 For God so loved ...".
    static const QRegularExpression label(QStringLiteral("^(.+? \\d{1,3}:\\d{1,3}) "));
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    std::optional<BibleReference> first;
    std::optional<BibleReference> last;
    QString part;
    bool whole = false;
    for (QTextBlock block = selection.document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        const QString text = block.text();
        const QRegularExpressionMatch m = label.match(text);
        const std::optional<BibleReference> ref = m.hasMatch() ? BibleReference::parse(m.captured(1)) : std::nullopt;
        if (!ref || ref->firstVerse == 0)
            continue;
        const int wordsStart = block.position() + int(m.capturedLength(0));
        const int wordsEnd = block.position() + int(text.size());
        const int from = qMax(start, wordsStart);
        const int to = qMin(end, wordsEnd);
        if (to <= from)
            continue;
        if (!first) {
            first = ref;
            part = text.mid(from - block.position(), to - from).trimmed();
            whole = from == wordsStart && to == wordsEnd;
        }
        last = ref;
    }
    if (!first)
        return std::nullopt;
    if (first->chapter == last->chapter && first->firstVerse == last->firstVerse && !whole && !part.isEmpty())
        return QStringList{part + BibleText::citation(*first)};
    BibleReference range = *first;
    if (last->chapter > first->chapter)
        range.lastChapter = last->chapter;
    range.lastVerse = last->firstVerse;
    return m_bible->passage({range});
}

bool ScriptureCommands::fromBibleView(const QObject *source, const QMimeData *mime) const
{
    if (!m_bibleView || !mime)
        return false;
    if (source)
        return source == m_bibleView || source == m_bibleView->viewport();
    // A drop whose source is not known (from outside the program, or made
    // up by a test) is the Bible's passage when it is the view's selection.
    return m_bibleView->textCursor().hasSelection() && mime->hasText() && mime->text() == m_bibleView->SelText();
}

bool ScriptureCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Drop || !m_document || watched != m_document->viewport())
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event);
    // While a long command runs, the editor refuses drops itself.
    if (m_document->isBusy() || !fromBibleView(drop->source(), drop->mimeData()))
        return false;
    const std::optional<QStringList> passage = passageOfSelection(m_bibleView->textCursor());
    if (!passage)
        return false;
    // The editor drew a drop caret while the drag moved: it goes as for a drop.
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(m_document->viewport(), &leave);
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    const QTextCursor at = m_document->cursorForPosition(drop->position().toPoint());
    write(at, *passage, at.charFormat());
    m_document->setFocus(Qt::MouseFocusReason);
    return true;
}
