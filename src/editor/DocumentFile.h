#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads and writes the sermon document's files. Plain text has CR LF line
// ends on disk; the editor side of the text has "\n" between lines.
class DocumentFile {
public:
    // Larger files are refused rather than loaded into the editor.
    static constexpr qint64 MaxBytes = qint64(32) * 1024 * 1024;

    // The file's text, every line followed by "\n"; an empty file gives "".
    // On failure returns nullopt and sets *reason to a sentence for the user.
    static std::optional<QString> read(const QString &path, QString *reason);
    // The file's bytes, refused when it is not a regular file or larger
    // than MaxBytes.
    static std::optional<QByteArray> readBytes(const QString &path, QString *reason);
    // The text of a plain text file's bytes (see decode); refused when they
    // hold NUL bytes without a UTF-16 byte-order mark.
    static std::optional<QString> textFromBytes(const QByteArray &bytes, QString *reason);

    // Writes text atomically: on failure the file on disk is as it was and
    // *reason names the cause.
    static bool write(const QString &path, const QString &text, QString *reason);
    // The same for bytes. A replaced file keeps its permissions, owner and
    // group where the system allows.
    static bool writeBytes(const QString &path, const QByteArray &bytes, QString *reason);

    // UTF-16 after a UTF-16 byte-order mark; otherwise UTF-8 when the bytes
    // are valid UTF-8 (a leading byte-order mark is dropped), otherwise
    // Windows-1252. CR LF, a lone CR and a lone LF each end a line.
    static QString decode(const QByteArray &bytes);
    // UTF-8 without byte-order mark, every line break written as CR LF.
    static QByteArray encode(const QString &text);

    // Windows-1252 to Unicode; the five unassigned bytes map to the C1
    // control of the same value, as Windows does.
    static QString fromWindows1252(const QByteArray &bytes);
    // UTF-8 when valid, otherwise Windows-1252; no line-end changes.
    static QString fromUtf8Or1252(const QByteArray &bytes);
};
