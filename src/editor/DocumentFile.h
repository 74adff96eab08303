#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads and writes the sermon document's files. A plain text file keeps
// its own line ends on disk (see TextStyle); the editor side of the text has
// "\n" between lines.
class DocumentFile {
public:
    // Larger files are refused rather than loaded into the editor.
    static constexpr qint64 MaxBytes = qint64(32) * 1024 * 1024;
    // Rich text takes more bytes than the text it holds: a control word or
    // two for each paragraph and run, and up to nine bytes for a character
    // beyond ASCII (\uN?). A document that a plain text file of MaxBytes
    // gives stays within this as RTF, unless nearly every line is a word or
    // two long; RTF files (and recovery files, which are RTF) up to this
    // size are read.
    static constexpr qint64 RtfOverhead = 8;
    static constexpr qint64 MaxRtfBytes = MaxBytes * RtfOverhead;

    // How a plain text file was written, so that saving it again writes the
    // same bytes for the same text. New documents get the default.
    struct TextStyle {
        enum class LineEnd { CrLf, Lf, Cr };
        LineEnd lineEnd = LineEnd::CrLf;
        // The last line had no line break: reading gave it one, which
        // writing takes away again.
        bool lastLineUnended = false;
        // UTF-8 with a byte-order mark.
        bool utf8Mark = false;
        bool operator==(const TextStyle &) const = default;
    };

    // The file's text, every line followed by "\n"; an empty file gives "".
    // On failure returns nullopt and sets *reason to a sentence for the user.
    static std::optional<QString> read(const QString &path, QString *reason);
    // The file's bytes, refused when it is not a regular file or larger
    // than MaxBytes (MaxRtfBytes for a file that begins with "{\rtf").
    static std::optional<QByteArray> readBytes(const QString &path, QString *reason);
    // The text of a plain text file's bytes (see decode); refused when they
    // hold NUL bytes without a UTF-16 byte-order mark. *style, when given,
    // tells how the file was written.
    static std::optional<QString> textFromBytes(const QByteArray &bytes, QString *reason,
                                                TextStyle *style = nullptr);

    // Writes text atomically: on failure the file on disk is as it was and
    // *reason names the cause.
    static bool write(const QString &path, const QString &text, QString *reason);
    // The same for bytes. A replaced file keeps its permissions, owner and
    // group where the system allows.
    static bool writeBytes(const QString &path, const QByteArray &bytes, QString *reason);

    // UTF-16 after a UTF-16 byte-order mark; otherwise UTF-8 when the bytes
    // are valid UTF-8 (a leading byte-order mark is dropped), otherwise
    // Windows-1252. CR LF, a lone CR and a lone LF each end a line. *style,
    // when given, tells how the file was written: the first line end's
    // kind, whether the last line had one, the UTF-8 byte-order mark.
    static QString decode(const QByteArray &bytes, TextStyle *style = nullptr);
    // UTF-8, every line break written in the style's line end; without a
    // final break when the style's file had none.
    static QByteArray encode(const QString &text, const TextStyle &style);
    static QByteArray encode(const QString &text) { return encode(text, TextStyle()); }

    // Windows-1252 to Unicode; the five unassigned bytes map to the C1
    // control of the same value, as Windows does.
    static QString fromWindows1252(const QByteArray &bytes);
    // UTF-8 when valid, otherwise Windows-1252; no line-end changes.
    static QString fromUtf8Or1252(const QByteArray &bytes);
};
