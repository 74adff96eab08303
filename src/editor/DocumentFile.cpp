#include "editor/DocumentFile.h"

#include "editor/Cp1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

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

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

} // namespace

QString DocumentFile::fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        // The unassigned bytes keep their value, as Windows reads them.
        const char16_t ch = Cp1252::toUnicode(b);
        *out++ = QChar(ch == 0xFFFD ? char16_t(b) : ch);
    }
    return text;
}

QString DocumentFile::decode(const QByteArray &bytes)
{
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    const std::optional<QString> utf8 = strictUtf8(body);
    const QString raw = utf8 ? *utf8 : fromWindows1252(bytes);

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
        if (c == u'\r' && i + 1 < n && raw.at(i + 1) == u'\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < n) {
        // The last line has no break of its own; it is given one like the others.
        text.append(QStringView(raw).sliced(lineStart));
        text.append(u'\n');
    }
    return text;
}

QByteArray DocumentFile::encode(const QString &text)
{
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(QChar::ParagraphSeparator, u'\n');
    lines.replace(QChar::LineSeparator, u'\n');
    lines.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return lines.toUtf8();
}

std::optional<QString> DocumentFile::read(const QString &path, QString *reason)
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
    if (file.size() > MaxBytes) {
        setReason(reason, QStringLiteral("The file is larger than %1 MB.").arg(MaxBytes / (1024 * 1024)));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        setReason(reason, file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > MaxBytes) {
        setReason(reason, QStringLiteral("The file is larger than %1 MB.").arg(MaxBytes / (1024 * 1024)));
        return std::nullopt;
    }
    if (bytes.contains('\0')) {
        setReason(reason, QStringLiteral("It contains NUL bytes, so it is not a text file."));
        return std::nullopt;
    }
    return decode(bytes);
}

bool DocumentFile::write(const QString &path, const QString &text, QString *reason)
{
    if (QFileInfo(path).isDir()) {
        setReason(reason, QStringLiteral("It is a folder, not a file."));
        return false;
    }
    const QByteArray bytes = encode(text);
    QSaveFile file(path);
    // Unbuffered: a write that fails only when a buffer is flushed inside
    // commit() would otherwise go unnoticed and leave an empty file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setReason(reason, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        setReason(reason, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setReason(reason, file.errorString());
        return false;
    }
    return true;
}
