#pragma once

#include "editor/DocumentFile.h"
#include "editor/DocumentRecovery.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class RichTextBox;

// The user's sermon document apart from its content, which the editor
// holds: its file name, its changed flag and the rule that counts edits,
// the files it is read from and written to (plain text or rich text) and
// its recovery file. The window's file commands are
// sequences of its operations and of dialogs.
class SermonDocument : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SermonDocument)

public:
    enum class Format { PlainText, RichText };

    // The file types of the open and save dialogs; the rich text type is
    // the fifth entry.
    static QString fileFilter();
    static constexpr int RichTextFilterIndex = 5;

    explicit SermonDocument(QObject *parent = nullptr);

    // The editor whose content this is.
    void setEditor(RichTextBox *editor);
    RichTextBox *editor() const;

    // --- state ---
    QString CurrentFile;   // the file opened or last saved to; "" untitled
    QString PreviousFile;  // the name Save As set aside
    bool TextChanged = false;
    bool SkipNextChange = false;

    // The editor's change notification: counted as an edit unless skipped.
    void editorChanged();

    // The name decides: plain text for a name ending in ".txt", rich text
    // for ".rtf" (any case); for other names rich text when the rich text
    // type was chosen.
    static Format formatFor(const QString &path, bool richTextTypeChosen);
    // The format CurrentFile was read in or last written in.
    Format fileFormat() const { return m_format; }
    // How the plain text file was written (line ends, final line break),
    // kept for its next save; the default for other documents.
    DocumentFile::TextStyle textStyle() const { return m_style; }

    // Whether the document holds formatting that a plain text file cannot
    // keep (see RtfWriter::hasFormatting).
    bool hasFormatting() const;
    // The user agreed to save the document as plain text under this name,
    // formatting lost: not asked again for that name while the document
    // keeps it.
    bool plainTextAgreed(const QString &path) const { return !path.isEmpty() && path == m_plainTextAgreed; }
    void agreePlainText(const QString &path) { m_plainTextAgreed = path; }

    // Whether CurrentFile on disk differs in size or modification time from
    // what the document last read or wrote there, that is, another program
    // changed it. False for a document that has not been read from or
    // written to its file, and for a file that is gone.
    bool changedOnDisk() const;

    // Tells whether a file or recovered document went in; reason says why not.
    using Done = std::function<void(bool ok, const QString &reason)>;

    // Writes the whole document atomically (plain text in its textStyle()).
    // On success the document is clean and in that format, and its recovery
    // file is gone; on failure nothing changes and *reason names the cause.
    // Does not name it.
    bool save(const QString &path, Format format, QString *reason);
    // Reads the file (rich text when it begins with "{\rtf", plain text
    // otherwise) into the editor with a fresh undo history; the document
    // is then named after it and clean. A long file goes in as a job of the
    // editor, which the user may cancel. On failure nothing changes. done
    // is called once, when the file is in or could not be.
    void open(const QString &path, const Done &done);
    // Empties the editor: untitled, clean, no recovery file. False, with
    // nothing changed, while the editor is busy with a long command.
    bool clear();

    // --- recovery after a crash ---
    DocumentRecovery *recovery() { return &m_recovery; }
    // From now on unsaved work is kept in a recovery file in folder.
    bool startRecovery(const QString &folder, QString *reason);
    // Takes over a recovered document: its content, name and format; it
    // counts as changed and gets a recovery file of this program at once.
    // When the editor cannot hold it nothing changes. done as for open().
    void restore(const DocumentRecovery::Contents &contents, const Done &done);
    // The program ends normally: no recovery file stays behind.
    void endSession();

signals:
    // The document was read from or written to path (the recent files list).
    void fileOpenedOrSaved(const QString &path);

private:
    // The program's own replacement of the whole content: its change
    // notification is not an edit, and none is left pending.
    void replaceContent(const QString &content, bool rtf, const Done &done);
    DocumentRecovery::Snapshot snapshot() const;
    // What the file on disk is like now.
    struct DiskStamp {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const DiskStamp &) const = default;
    };
    static std::optional<DiskStamp> stampOf(const QString &path);

    QPointer<RichTextBox> m_editor;
    Format m_format = Format::PlainText;
    DocumentFile::TextStyle m_style;
    QString m_plainTextAgreed;
    std::optional<DiskStamp> m_stamp; // of CurrentFile, when last read or written
    DocumentRecovery m_recovery;
};
