#include "editor/DocumentFile.h"

#include "editor/Cp1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    // The caller drops the one byte-order mark; any further U+FEFF is text.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The encoding a UTF-16 byte-order mark announces, if the bytes start with one.
std::optional<QStringDecoder::Encoding> utf16Mark(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder::Utf16BE;
    return std::nullopt;
}

// The text after the byte-order mark; nullopt when the units do not form
// valid UTF-16 (an odd byte count, an unpaired surrogate).
std::optional<QString> strictUtf16(QByteArrayView bytes, QStringDecoder::Encoding encoding)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes.sliced(2));
    if (decoder.hasError())
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return std::nullopt;
    }
    return text;
}

// Every line of raw, each followed by "\n"; CR LF, CR and LF end a line.
// *style gets the kind of the first line end and whether the last line had one.
QString splitLines(const QString &raw, DocumentFile::TextStyle *style = nullptr)
{
    using LineEnd = DocumentFile::TextStyle::LineEnd;
    std::optional<LineEnd> first;
    QString text;
    text.reserve(raw.size() + 1);
    const qsizetype n = raw.size();
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = raw.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        text.append(QStringView(raw).sliced(lineStart, i - lineStart));
        text.append(u'\n');
        const bool crLf = c == u'\r' && i + 1 < n && raw.at(i + 1) == u'\n';
        if (!first)
            first = crLf ? LineEnd::CrLf : c == u'\r' ? LineEnd::Cr : LineEnd::Lf;
        if (crLf)
            ++i;
        lineStart = i + 1;
    }
    const bool unended = lineStart < n;
    if (unended) {
        // The last line has no break of its own; it is given one like the others.
        text.append(QStringView(raw).sliced(lineStart));
        text.append(u'\n');
    }
    if (style) {
        style->lineEnd = first.value_or(LineEnd::CrLf);
        style->lastLineUnended = unended;
    }
    return text;
}

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

QString nulReason()
{
    return QStringLiteral("It contains NUL bytes, so it is not a text file.");
}

// The new file takes the place of the old one: it gets the old one's owner,
// group and mode, as far as the system lets this user give them.
void keepOwnerAndMode(QSaveFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat old {};
    if (::stat(QFile::encodeName(path).constData(), &old) != 0 || !S_ISREG(old.st_mode))
        return;
    const int fd = file.handle();
    if (fd < 0)
        return;
    // Only root may give a file away; anyone may give it a group of their own.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)!::fchown(fd, uid_t(-1), old.st_gid);
    // After the owner: a change of owner clears the set-id bits.
    (void)::fchmod(fd, old.st_mode & 07777);
#else
    Q_UNUSED(file);
    Q_UNUSED(path);
#endif
}

} // namespace

QString DocumentFile::fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        *out++ = QChar(Cp1252::toUnicode(static_cast<unsigned char>(c)));
    }
    return text;
}

QString DocumentFile::fromUtf8Or1252(const QByteArray &bytes)
{
    const std::optional<QString> utf8 = strictUtf8(bytes);
    return utf8 ? *utf8 : fromWindows1252(bytes);
}

QString DocumentFile::decode(const QByteArray &bytes, TextStyle *style)
{
    if (style)
        *style = TextStyle();
    if (const auto encoding = utf16Mark(bytes)) {
        QStringDecoder decoder(*encoding, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return splitLines(decoder.decode(QByteArrayView(bytes).sliced(2)), style);
    }
    QByteArrayView body(bytes);
    const bool mark = body.startsWith("\xEF\xBB\xBF");
    if (mark)
        body = body.sliced(3);
    const std::optional<QString> utf8 = strictUtf8(body);
    const QString text = splitLines(utf8 ? *utf8 : fromWindows1252(bytes), style);
    if (style)
        style->utf8Mark = mark && utf8;
    return text;
}

QByteArray DocumentFile::encode(const QString &text, const TextStyle &style)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(QChar::ParagraphSeparator, u'\n');
    lines.replace(QChar::LineSeparator, u'\n');
    // Only the break that reading added goes: one typed after it stays.
    if (style.lastLineUnended && lines.endsWith(u'\n'))
        lines.chop(1);
    switch (style.lineEnd) {
    case TextStyle::LineEnd::CrLf: lines.replace(QLatin1String("\n"), QLatin1String("\r\n")); break;
    case TextStyle::LineEnd::Cr: lines.replace(u'\n', u'\r'); break;
    case TextStyle::LineEnd::Lf: break;
    }
    QByteArray bytes = style.utf8Mark ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
    bytes += lines.toUtf8();
    return bytes;
}

std::optional<QByteArray> DocumentFile::readBytes(const QString &path, QString *reason)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        setReason(reason, QStringLiteral("It is a folder, not a file."));
        return std::nullopt;
    }
    if (info.exists() && !info.isFile()) {
        // Devices and pipes could block or never end.
        setReason(reason, QStringLiteral("It is not a regular file."));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setReason(reason, file.errorString());
        return std::nullopt;
    }
    // Rich text needs more bytes for the same document.
    const qint64 limit = file.peek(5) == "{\\rtf" ? MaxRtfBytes : MaxBytes;
    const QString tooLarge = QStringLiteral("The file is larger than %1 MB.").arg(limit / (1024 * 1024));
    if (file.size() > limit) {
        setReason(reason, tooLarge);
        return std::nullopt;
    }
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        setReason(reason, file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > limit) {
        setReason(reason, tooLarge);
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> DocumentFile::textFromBytes(const QByteArray &bytes, QString *reason, TextStyle *style)
{
    if (const auto encoding = utf16Mark(bytes)) {
        const std::optional<QString> raw = strictUtf16(bytes, *encoding);
        if (!raw) {
            setReason(reason, QStringLiteral("It is marked as UTF-16 text, but its content is not valid UTF-16."));
            return std::nullopt;
        }
        if (raw->contains(QChar(u'\0'))) {
            setReason(reason, nulReason());
            return std::nullopt;
        }
        if (style)
            *style = TextStyle();
        return splitLines(*raw, style);
    }
    if (bytes.contains('\0')) {
        setReason(reason, nulReason());
        return std::nullopt;
    }
    return decode(bytes, style);
}

std::optional<QString> DocumentFile::read(const QString &path, QString *reason)
{
    const std::optional<QByteArray> bytes = readBytes(path, reason);
    if (!bytes)
        return std::nullopt;
    return textFromBytes(*bytes, reason);
}

bool DocumentFile::write(const QString &path, const QString &text, QString *reason)
{
    return writeBytes(path, encode(text), reason);
}

bool DocumentFile::writeBytes(const QString &path, const QByteArray &bytes, QString *reason)
{
    if (QFileInfo(path).isDir()) {
        setReason(reason, QStringLiteral("It is a folder, not a file."));
        return false;
    }
    QSaveFile file(path);
    // Unbuffered: a write that fails only when a buffer is flushed inside
    // commit() would otherwise go unnoticed and leave an empty file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setReason(reason, file.errorString());
        return false;
    }
    keepOwnerAndMode(file, path);
    // A full disk first takes part of a write without an error; the next
    // write of the rest is refused with the system's reason.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    if (written != bytes.size()) {
        setReason(reason, file.error() != QFileDevice::NoError
                              ? file.errorString()
                              : QStringLiteral("The system took only part of the document."));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setReason(reason, file.errorString());
        return false;
    }
    return true;
}
