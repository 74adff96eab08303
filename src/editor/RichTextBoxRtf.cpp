#include "editor/RichTextBox.h"

#include "editor/DocumentFile.h"
#include "editor/LayoutBudget.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"

#include <QMimeData>
#include <QVariant>

#include <algorithm>
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

// A selection for the clipboard or a drag: taken at once as plain values,
// made into text or RTF only when asked for. Selecting all of a long
// document offers it to the X11 selection, and most of what is offered
// is never read.
class SelectionMimeData : public QMimeData {
public:
    SelectionMimeData(RtfContent content, bool rich)
        : m_content(std::move(content))
        , m_rich(rich)
    {
    }

    QStringList formats() const override
    {
        QStringList types{QStringLiteral("text/plain")};
        if (m_rich)
            for (const QString &type : kRtfTypes)
                types << type;
        return types;
    }
    bool hasFormat(const QString &type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString &type, QMetaType) const override
    {
        if (type == u"text/plain" || type == u"text/plain;charset=utf-8")
            return plainText();
        if (m_rich && std::find(kRtfTypes.begin(), kRtfTypes.end(), type) != kRtfTypes.end())
            return RtfWriter::write(m_content).toUtf8();
        return {};
    }

private:
    // As SelText gives it: a line break between paragraphs.
    QString plainText() const
    {
        QString text;
        text.reserve(m_content.text.size() + m_content.paragraphs.size());
        const QStringView all(m_content.text);
        qsizetype position = 0;
        qsizetype run = 0;
        for (const RtfContent::Paragraph &paragraph : m_content.paragraphs) {
            for (const qsizetype last = run + paragraph.runs; run < last; ++run) {
                const int length = m_content.runs.at(run).length;
                text += all.sliced(position, length);
                position += length;
            }
            if (paragraph.ends)
                text += QLatin1Char('\n');
        }
        text.replace(QChar::LineSeparator, QLatin1Char('\n'));
        return text;
    }

    RtfContent m_content;
    bool m_rich;
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
        plan.slice = [this, text, reader](QTextCursor &c, int chars, qreal &fraction) {
            if (!*reader)
                *reader = std::make_unique<RtfReader>(c, *text);
            const bool more = (*reader)->step(chars);
            if (!more) {
                (*reader)->finish();
                if ((*reader)->leftOut())
                    noteLeftOut();
            }
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
    const bool whole = RtfReader::insert(cursor, rtf);
    setTextCursor(cursor);
    if (rewrap)
        settleLayout();
    if (!whole)
        noteLeftOut();
}

QMimeData *RichTextBox::SelMimeData() const
{
    return new SelectionMimeData(RtfWriter::capture(textCursor()), !isReadOnly());
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
