#include "editor/SermonDocument.h"

#include "editor/DocumentFile.h"
#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"

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
    return QStringLiteral("Text files (*.txt )|*.txt") + QStringLiteral("|Batch files (*.bat) | *.bat")
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
    return richTextTypeChosen || path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive) ? Format::RichText
                                                                                           : Format::PlainText;
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
                                 : DocumentFile::encode(m_editor->Text());
    if (!DocumentFile::writeBytes(path, bytes, reason))
        return false;
    m_format = format;
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
    const bool rtf = bytes->startsWith("{\\rtf");
    std::optional<QString> text;
    if (rtf)
        text = DocumentFile::fromUtf8Or1252(*bytes);
    else
        text = DocumentFile::textFromBytes(*bytes, &reason);
    if (!text) {
        done(false, reason);
        return;
    }
    replaceContent(*text, rtf, [this, path, rtf, done](bool ok, const QString &why) {
        if (ok) {
            m_format = rtf ? Format::RichText : Format::PlainText;
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
