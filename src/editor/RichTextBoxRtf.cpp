#include "editor/RichTextBox.h"

#include "editor/BusyScope.h"
#include "editor/Cp1252.h"
#include "editor/LayoutBudget.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QMimeData>
#include <QStringDecoder>
#include <QTextCursor>

#include <array>
#include <memory>

namespace {

// RTF longer than this is measured on a worker thread.
constexpr qsizetype WorkerCharacters = 1 << 20;

// The RTF flavours, most specific first. Windows programs exchange RTF under
// the clipboard format "Rich Text Format" rather than a MIME type.
const std::array kRtfTypes = {
    QStringLiteral("text/rtf"),
    QStringLiteral("application/rtf"),
#ifdef Q_OS_WIN
    QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\""),
#endif
};

// RTF is 7-bit text with escapes, but some writers put 8-bit characters in
// it: UTF-8 when the bytes are valid UTF-8, otherwise the usual ANSI code page.
QString decodeRtfBytes(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    text.reserve(bytes.size());
    for (const char byte : bytes)
        text += QChar(Cp1252::toUnicode(static_cast<unsigned char>(byte)));
    return text;
}

} // namespace

QString RichTextBox::SelRTF() const
{
    return RtfWriter::write(textCursor());
}

void RichTextBox::SetSelRTF(const QString &rtf)
{
    QTextCursor cursor = textCursor();
    if (!RtfReader::isRtf(rtf)) {
        if (insertPlain(cursor, rtf, false, QStringLiteral("Pasting\u2026")))
            setTextCursor(cursor);
        return;
    }
    if (m_busy)
        return;
    // Measured before anything goes in: laying out what the editor cannot
    // hold would never finish.
    BusyScope busy(this, QStringLiteral("Pasting\u2026"));
    LayoutBudget added(estimateWidth(), estimateDpi());
    if (rtf.size() > WorkerCharacters)
        busy.runOnWorker([&](std::atomic<int> &) { RtfReader::measure(rtf, added); });
    else
        RtfReader::measure(rtf, added);
    if (!fitsReplacing(busy, cursor.selectionStart(), cursor.selectionEnd(), added.height()))
        return;
    if (makesLongWord(cursor, added))
        setWrapAnywhere(true, &busy);

    if (rtf.size() <= SliceCharacters) {
        // One edit block: one undo step and one Change for the whole write.
        RtfReader::insert(cursor, rtf);
        setTextCursor(cursor);
        return;
    }
    RtfReader reader(cursor, rtf);
    const bool reported =
        runSliced(busy, cursor, cursor.selectionStart(), [&](QTextCursor &, int chars, qreal &fraction) {
            const bool more = reader.step(chars);
            if (!more)
                reader.finish();
            fraction = qreal(reader.position()) / rtf.size();
            return more;
        });
    if (reported && reader.changed())
        emit Change();
    setTextCursor(cursor);
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
        QString rtf = decodeRtfBytes(source->data(type));
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
    return pasteText(source).has_value();
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
