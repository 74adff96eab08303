#include "editor/SermonDocument.h"

#include "editor/DocumentFile.h"
#include "editor/RichTextBox.h"
#include "editor/RtfWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

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

template <typename Load>
bool SermonDocument::replaceContent(Load load)
{
    SkipNextChange = true;
    const bool loaded = load();
    SkipNextChange = false;
    return loaded;
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

bool SermonDocument::open(const QString &path, QString *reason)
{
    const std::optional<QByteArray> bytes = DocumentFile::readBytes(path, reason);
    if (!bytes)
        return false;
    if (bytes->startsWith("{\\rtf")) {
        const QString rtf = DocumentFile::fromUtf8Or1252(*bytes);
        if (!replaceContent([&] { return m_editor->LoadRtf(rtf, reason); }))
            return false;
        m_format = Format::RichText;
    } else {
        const std::optional<QString> text = DocumentFile::textFromBytes(*bytes, reason);
        if (!text)
            return false;
        if (!replaceContent([&] { return m_editor->LoadText(*text, reason); }))
            return false;
        m_format = Format::PlainText;
    }
    CurrentFile = path;
    TextChanged = false;
    m_recovery.discard();
    emit fileOpenedOrSaved(path);
    return true;
}

void SermonDocument::clear()
{
    replaceContent([&] { return m_editor->LoadText(QString()); });
    CurrentFile.clear();
    // A name set aside by an earlier Save As must not come back to an
    // untitled document when its first save dialog is cancelled.
    PreviousFile.clear();
    m_format = Format::PlainText;
    TextChanged = false;
    m_recovery.discard();
}

bool SermonDocument::writePdf(const QString &path, QString *reason) const
{
    // Made in memory, then written as a document file is: atomically, with
    // the system's reason when it fails.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Vellumor"));
        pdf.setTitle(CurrentFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(CurrentFile).fileName());
        pdf.setPageSize(QPageSize(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                            : QPageSize::A4));
        // As printing does: the selection, or everything when nothing is selected.
        m_editor->SelPrint(&pdf);
    }
    return DocumentFile::writeBytes(path, buffer.data(), reason);
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

bool SermonDocument::restore(const DocumentRecovery::Contents &contents, QString *reason)
{
    // Refused content leaves the recovery file alone: it is all there is.
    if (!replaceContent([&] { return m_editor->LoadRtf(contents.rtf, reason); }))
        return false;
    CurrentFile = contents.fileName;
    PreviousFile.clear();
    m_format = contents.richText ? Format::RichText : Format::PlainText;
    TextChanged = true;
    m_recovery.writeNow();
    return true;
}

void SermonDocument::endSession()
{
    m_recovery.discard();
    m_recovery.waitForWorker();
}
