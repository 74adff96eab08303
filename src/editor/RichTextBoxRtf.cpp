#include "editor/RichTextBox.h"

#include "editor/BusyScope.h"
#include "editor/LayoutBudget.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QTextCursor>

namespace {

// RTF longer than this is measured on a worker thread.
constexpr qsizetype WorkerCharacters = 1 << 20;

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
