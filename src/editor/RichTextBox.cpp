#include "editor/RichTextBox.h"

#include "editor/RtfWriter.h"
#include "reference/TextMatch.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

RichTextBox::RichTextBox(const QString &defaultFamily, QWidget *parent)
    : QTextEdit(parent)
{
    setAcceptRichText(true);
    QFont font(defaultFamily);
    font.setPointSizeF(8.5);
    document()->setDefaultFont(font);
    setFont(font);
    QTextCharFormat initial;
    initial.setFontFamilies({defaultFamily});
    initial.setFontPointSize(8.5);
    m_defaultFormat = initial;
    QTextCursor cursor(document());
    cursor.insertText(QStringLiteral(" "), initial);
    setCurrentCharFormat(initial);
    document()->clearUndoRedoStacks();
    document()->setModified(false);
    m_normalWrap = wordWrapMode();
    watchLayout();
    // textChanged relays the document's contentsChanged: once per edit block,
    // after the change is made, only for real content or format changes, and
    // it follows the view when another document is swapped in. A job raises
    // Change once itself, at its end.
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (!isBusy())
            emit Change();
    });
}

QString RichTextBox::Text() const
{
    // Not toPlainText(): that turns non-breaking spaces into plain ones.
    QString text = document()->toRawText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return text;
}

void RichTextBox::SetText(const QString &text)
{
    // Through a cursor rather than setPlainText so that the replacement can
    // be undone and the current character format carries on.
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    if (!insertPlain(cursor, text, true))
        return;
    cursor.setPosition(0);
    setTextCursor(cursor);
}

void RichTextBox::LoadText(const QString &text, const Loaded &done)
{
    loadDocument(text, false, done);
}

void RichTextBox::LoadRtf(const QString &rtf, const Loaded &done)
{
    loadDocument(rtf, true, done);
}

int RichTextBox::SelStart() const
{
    return textCursor().selectionStart();
}

int RichTextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

QString RichTextBox::SelText() const
{
    const QTextCursor c = textCursor();
    // A long selection is cut from one copy of the text: the cursor would
    // gather it fragment by fragment, several times slower.
    QString s = c.selectionEnd() - c.selectionStart() > SliceCharacters
        ? document()->toRawText().mid(c.selectionStart(), c.selectionEnd() - c.selectionStart())
        : c.selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return s;
}

void RichTextBox::SetSelText(const QString &text)
{
    QTextCursor c = textCursor();
    if (insertPlain(c, text, false))
        setTextCursor(c);
}

RichTextBox::Tri RichTextBox::readAttribute(bool (*test)(const QTextCharFormat &)) const
{
    const QTextCursor c = textCursor();
    if (!c.hasSelection())
        return test(c.charFormat()) ? Tri::On : Tri::Off;

    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    bool seenOn = false;
    bool seenOff = false;
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int fStart = fragment.position();
            const int fEnd = fStart + fragment.length();
            if (fEnd <= start || fStart >= end)
                continue;
            (test(fragment.charFormat()) ? seenOn : seenOff) = true;
            if (seenOn && seenOff)
                return Tri::Mixed;
        }
    }
    if (seenOn)
        return Tri::On;
    return Tri::Off;
}

RichTextBox::Tri RichTextBox::SelBold() const
{
    return readAttribute([](const QTextCharFormat &f) { return f.fontWeight() >= QFont::Bold; });
}

RichTextBox::Tri RichTextBox::SelItalic() const
{
    return readAttribute([](const QTextCharFormat &f) { return f.fontItalic(); });
}

RichTextBox::Tri RichTextBox::SelUnderline() const
{
    return readAttribute([](const QTextCharFormat &f) { return f.fontUnderline(); });
}

void RichTextBox::mergeSelectionFormat(const QTextCharFormat &format)
{
    if (isBusy())
        return;
    if (!textCursor().hasSelection()) {
        // With nothing selected this sets the format of the text typed next.
        mergeCurrentCharFormat(format);
        return;
    }
    if (m_group) {
        m_group->merge(format);
        return;
    }
    applyCharFormat(format);
}

void RichTextBox::SetSelBold(bool on)
{
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeSelectionFormat(f);
}

void RichTextBox::SetSelItalic(bool on)
{
    QTextCharFormat f;
    f.setFontItalic(on);
    mergeSelectionFormat(f);
}

void RichTextBox::SetSelUnderline(bool on)
{
    QTextCharFormat f;
    f.setFontUnderline(on);
    mergeSelectionFormat(f);
}

void RichTextBox::SetSelStrikeThru(bool on)
{
    QTextCharFormat f;
    f.setFontStrikeOut(on);
    mergeSelectionFormat(f);
}

void RichTextBox::SetSelFontName(const QString &family)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    mergeSelectionFormat(f);
}

void RichTextBox::SetSelFontSize(float points)
{
    if (!(points > 0))
        return;
    QTextCharFormat f;
    f.setFontPointSize(qMin(points, MaxFontSize));
    mergeSelectionFormat(f);
}

void RichTextBox::SetSelColor(QRgb rgb)
{
    QTextCharFormat f;
    f.setForeground(qAlpha(rgb) == 0 ? QBrush() : QBrush(QColor(rgb)));
    mergeSelectionFormat(f);
}

QTextCharFormat RichTextBox::SelStartFormat() const
{
    const QTextCursor c = textCursor();
    if (!c.hasSelection())
        return currentCharFormat();
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    // The first character at or after the start, paragraph marks passed over.
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() > start)
                return fragment.charFormat();
        }
    }
    return c.charFormat();
}

void RichTextBox::SetSelAlignment(int alignment)
{
    Qt::Alignment a;
    switch (alignment) {
    case 0: a = Qt::AlignLeft | Qt::AlignAbsolute; break;
    case 1: a = Qt::AlignRight | Qt::AlignAbsolute; break;
    case 2: a = Qt::AlignHCenter; break;
    default: return;
    }
    QTextBlockFormat f;
    f.setAlignment(a);
    applyBlockFormat(f);
}

int RichTextBox::Find(const QString &text, std::optional<int> start)
{
    if (text.isEmpty() || isBusy())
        return -1;
    const QString all = Text();
    int from = 0;
    int to = int(all.size());
    if (start) {
        from = *start;
        if (from < 0)
            from = 0;
    } else {
        const QTextCursor c = textCursor();
        if (c.hasSelection()) {
            from = c.selectionStart();
            to = c.selectionEnd();
        }
    }
    if (from > to || to - from < text.size())
        return -1;
    const int pos = int(TextMatch::indexIn(QStringView(all).mid(from, to - from), text));
    if (pos < 0)
        return -1;
    setSelection(from + pos, int(text.size()));
    return from + pos;
}

void RichTextBox::setSelection(int start, int length)
{
    const int last = qMax(0, document()->characterCount() - 1);
    start = qBound(0, start, last);
    const int end = qBound(start, start + length, last);
    QTextCursor c(document());
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void RichTextBox::SetFocus()
{
    setFocus(Qt::OtherFocusReason);
    ensureCursorVisible();
}

RtfContent RichTextBox::printContent() const
{
    QTextCursor c = textCursor();
    if (!c.hasSelection())
        c.select(QTextCursor::Document);
    return RtfWriter::capture(c);
}
