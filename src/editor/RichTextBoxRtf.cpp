#include "editor/RichTextBox.h"

#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QTextCursor>

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
