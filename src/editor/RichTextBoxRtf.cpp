#include "editor/RichTextBox.h"

#include "editor/DocumentFile.h"
#include "editor/LayoutBudget.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QMimeData>
#include <QTextCursor>

#include <array>
#include <memory>

namespace {

// The RTF flavours, most specific first. Windows programs exchange RTF under
// the clipboard format "Rich Text Format" rather than a MIME type.
const std::array kRtfTypes = {
    QStringLiteral("text/rtf"),
    QStringLiteral("application/rtf"),
#ifdef Q_OS_WIN
    QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\""),
#endif
};

} // namespace

QString RichTextBox::SelRTF() const
{
    return RtfWriter::write(textCursor());
}

void RichTextBox::SetSelRTF(const QString &rtf)
{
    QTextCursor cursor = textCursor();
    if (!RtfReader::isRtf(rtf)) {
        if (insertPlain(cursor, rtf, false))
            setTextCursor(cursor);
        return;
    }
    if (isBusy())
        return;
    const qreal width = estimateWidth();
    const qreal dpi = estimateDpi();
    // Measured before anything goes in: laying out what the editor cannot
    // hold would never finish.
    const auto measure = [rtf, width, dpi] {
        LayoutBudget added(width, dpi);
        RtfReader::measure(rtf, added);
        return added;
    };
    if (rtf.size() > SliceCharacters) {
        WritePlan plan;
        plan.label = QStringLiteral("Pasting\u2026");
        plan.cursor = cursor;
        plan.added = measure;
        plan.measureOnWorker = rtf.size() > WorkerCharacters;
        // The reader reads from its own copy of the text and writes at the
        // job's cursor, which it is given at the first slice.
        auto text = std::make_shared<QString>(rtf);
        auto reader = std::make_shared<std::unique_ptr<RtfReader>>();
        plan.slice = [text, reader](QTextCursor &c, int chars, qreal &fraction) {
            if (!*reader)
                *reader = std::make_unique<RtfReader>(c, *text);
            const bool more = (*reader)->step(chars);
            if (!more)
                (*reader)->finish();
            fraction = qreal((*reader)->position()) / text->size();
            return more;
        };
        startWrite(std::move(plan));
        return;
    }
    const LayoutBudget added = measure();
    if (added.height() >= SmallHeight) {
        const qreal replaced = LayoutBudget::ofDocument(*document(), width, dpi, cursor.selectionStart(),
                                                        cursor.selectionEnd());
        if (!fits(documentHeight() - replaced + added.height()))
            return;
    }
    const bool rewrap = makesLongWord(cursor, added);
    if (rewrap)
        setWrapping(document(), true);
    // One edit block: one undo step and one Change for the whole write.
    RtfReader::insert(cursor, rtf);
    setTextCursor(cursor);
    if (rewrap)
        settleLayout();
}

QMimeData *RichTextBox::SelMimeData() const
{
    auto mime = std::make_unique<QMimeData>();
    mime->setText(SelText());
    if (!isReadOnly()) {
        const QByteArray rtf = SelRTF().toUtf8();
        for (const QString &type : kRtfTypes)
            mime->setData(type, rtf);
    }
    return mime.release();
}

std::optional<QString> RichTextBox::pasteText(const QMimeData *source)
{
    if (!source)
        return std::nullopt;
    for (const QString &type : kRtfTypes) {
        if (!source->hasFormat(type))
            continue;
        QString rtf = DocumentFile::fromUtf8Or1252(source->data(type));
        if (RtfReader::isRtf(rtf))
            return rtf;
    }
    if (source->hasText()) {
        QString text = source->text();
        if (!text.isEmpty())
            return text;
    }
    return std::nullopt;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    return !isBusy() && pasteText(source).has_value();
}

void RichTextBox::insertFromMimeData(const QMimeData *source)
{
    if (const std::optional<QString> text = pasteText(source)) {
        SetSelRTF(*text);
        ensureCursorVisible();
    }
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    return SelMimeData();
}
