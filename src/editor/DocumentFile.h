#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads and writes the sermon document's file: plain text, CR LF line ends.
// The editor side of the text has "\n" between lines.
class DocumentFile {
public:
    // Larger files are refused rather than loaded into the editor.
    static constexpr qint64 MaxBytes = qint64(32) * 1024 * 1024;

    // The file's text, every line followed by "\n"; an empty file gives "".
    // On failure returns nullopt and sets *reason to a sentence for the user.
    static std::optional<QString> read(const QString &path, QString *reason);

    // Writes text atomically: on failure the file on disk is as it was and
    // *reason names the cause.
    static bool write(const QString &path, const QString &text, QString *reason);

    // UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is
    // dropped), otherwise Windows-1252. CR LF, a lone CR and a lone LF each
    // end a line.
    static QString decode(const QByteArray &bytes);
    // UTF-8 without byte-order mark, every line break written as CR LF.
    static QByteArray encode(const QString &text);

    // Windows-1252 to Unicode; the five unassigned bytes map to the C1
    // control of the same value, as Windows does.
    static QString fromWindows1252(const QByteArray &bytes);
};
