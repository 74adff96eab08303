#include "editor/SermonDocument.h"

#include "editor/DocumentFile.h"
#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"

#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QTextCursor wholeDocument(QTextDocument *doc)
{
    QTextCursor cursor(doc);
    cursor.select(QTextCursor::Document);
    return cursor;
}

} // namespace

QString SermonDocument::fileFilter()
{
    // The first type, the one Open starts on, lists rich text files too:
    // what the user saved is what Open shows.
    return QStringLiteral("Text files (*.txt *.rtf)|*.txt;*.rtf") + QStringLiteral("|Batch files (*.bat) | *.bat")
           + QStringLiteral("|INI FILES (*ini) | *ini") + QStringLiteral("|All Files (*.*)| *.*")
           + QStringLiteral("|Rich Text Format (*.rtf)|*.rtf");
}

SermonDocument::SermonDocument(QObject *parent)
    : QObject(parent)
{
    m_recovery.setSource([this] { return snapshot(); });
}

void SermonDocument::setEditor(RichTextBox *editor)
{
    m_editor = editor;
    // Kept for recovery only between the editor's long commands.
    connect(editor, &RichTextBox::busyChanged, &m_recovery, &DocumentRecovery::setPaused);
}

RichTextBox *SermonDocument::editor() const
{
    return m_editor;
}

void SermonDocument::editorChanged()
{
    if (SkipNextChange) {
        SkipNextChange = false;
        return;
    }
    TextChanged = true;
    m_recovery.noteEdit();
}

SermonDocument::Format SermonDocument::formatFor(const QString &path, bool richTextTypeChosen)
{
    if (path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return Format::PlainText;
    if (path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive))
        return Format::RichText;
    return richTextTypeChosen ? Format::RichText : Format::PlainText;
}

bool SermonDocument::hasFormatting() const
{
    return m_editor && RtfWriter::hasFormatting(*m_editor->document(), m_editor->defaultCharFormat());
}

std::optional<SermonDocument::DiskStamp> SermonDocument::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return std::nullopt;
    return DiskStamp{info.size(), info.lastModified()};
}

bool SermonDocument::changedOnDisk() const
{
    if (!m_stamp)
        return false;
    const std::optional<DiskStamp> now = stampOf(CurrentFile);
    return now && *now != *m_stamp;
}

void SermonDocument::replaceContent(const QString &content, bool rtf, const Done &done)
{
    const bool skipped = SkipNextChange;
    SkipNextChange = true;
    const auto loaded = [this, skipped, done](bool ok, const QString &reason) {
        // A refused or cancelled load raised no Change: the rule stands as it was.
        SkipNextChange = ok ? false : skipped;
        done(ok, reason);
    };
    if (rtf)
        m_editor->LoadRtf(content, loaded);
    else
        m_editor->LoadText(content, loaded);
}

bool SermonDocument::save(const QString &path, Format format, QString *reason)
{
    const QByteArray bytes = format == Format::RichText
                                 ? RtfWriter::write(wholeDocument(m_editor->document())).toLatin1()
                                 : DocumentFile::encode(m_editor->Text(), m_style);
    if (!DocumentFile::writeBytes(path, bytes, reason))
        return false;
    m_format = format;
    m_stamp = stampOf(path);
    TextChanged = false;
    m_recovery.discard();
    emit fileOpenedOrSaved(path);
    return true;
}

void SermonDocument::open(const QString &path, const Done &done)
{
    QString reason;
    const std::optional<QByteArray> bytes = DocumentFile::readBytes(path, &reason);
    if (!bytes) {
        done(false, reason);
        return;
    }
    // Taken with the bytes: a change made while a long file loads counts.
    const std::optional<DiskStamp> stamp = stampOf(path);
    const bool rtf = bytes->startsWith("{\\rtf");
    std::optional<QString> text;
    DocumentFile::TextStyle style;
    if (rtf)
        text = DocumentFile::fromUtf8Or1252(*bytes);
    else
        text = DocumentFile::textFromBytes(*bytes, &reason, &style);
    if (!text) {
        done(false, reason);
        return;
    }
    replaceContent(*text, rtf, [this, path, rtf, style, stamp, done](bool ok, const QString &why) {
        if (ok) {
            m_format = rtf ? Format::RichText : Format::PlainText;
            m_style = style;
            m_stamp = stamp;
            m_plainTextAgreed.clear();
            CurrentFile = path;
            TextChanged = false;
            m_recovery.discard();
            emit fileOpenedOrSaved(path);
        }
        done(ok, why);
    });
}

bool SermonDocument::clear()
{
    bool cleared = false;
    // Empty content goes in at once, unless the editor is busy.
    replaceContent(QString(), false, [&cleared](bool ok, const QString &) { cleared = ok; });
    if (!cleared)
        return false;
    CurrentFile.clear();
    // A name set aside by an earlier Save As must not come back to an
    // untitled document when its first save dialog is cancelled.
    PreviousFile.clear();
    m_format = Format::PlainText;
    m_style = {};
    m_stamp.reset();
    m_plainTextAgreed.clear();
    TextChanged = false;
    m_recovery.discard();
    return true;
}

DocumentRecovery::Snapshot SermonDocument::snapshot() const
{
    DocumentRecovery::Snapshot s;
    if (m_editor)
        s.content = RtfWriter::capture(wholeDocument(m_editor->document()));
    s.fileName = CurrentFile;
    s.changed = TextChanged;
    s.richText = m_format == Format::RichText;
    s.time = QDateTime::currentDateTimeUtc();
    return s;
}

bool SermonDocument::startRecovery(const QString &folder, QString *reason)
{
    if (!m_recovery.start(folder, reason))
        return false;
    if (TextChanged)
        m_recovery.noteEdit();
    return true;
}

void SermonDocument::restore(const DocumentRecovery::Contents &contents, const Done &done)
{
    // Refused content leaves the recovery file alone: it is all there is.
    replaceContent(contents.rtf, true, [this, contents, done](bool ok, const QString &reason) {
        if (ok) {
            CurrentFile = contents.fileName;
            PreviousFile.clear();
            m_format = contents.richText ? Format::RichText : Format::PlainText;
            // How the file looked when the work was lost is not known.
            m_style = {};
            m_stamp.reset();
            m_plainTextAgreed.clear();
            TextChanged = true;
            m_recovery.writeNow();
        }
        done(ok, reason);
    });
}

void SermonDocument::endSession()
{
    m_recovery.discard();
    m_recovery.waitForWorker();
}
