#include "editor/RichTextBox.h"

#include "editor/Cp1252.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QMimeData>
#include <QStringDecoder>
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
    // One edit block: one undo step and one Change for the whole write.
    QTextCursor cursor = textCursor();
    RtfReader::insert(cursor, rtf);
    setTextCursor(cursor);
}

void RichTextBox::LoadRtf(const QString &rtf)
{
    QTextCursor cursor = beginReplacement();
    RtfReader::insert(cursor, rtf);
    endReplacement(cursor);
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
