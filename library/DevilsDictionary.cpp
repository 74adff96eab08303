#include "DevilsDictionary.h"

#include "FortuneFile.h"

#include <QFile>
#include <QStringList>
#include <zlib.h>

namespace {

// "DEAD, adj." and the like: a headword line with no definition on it.
constexpr int BareHeadwordLength = 30;

// dictd writes offsets and lengths in its own base-64 digits, most significant first.
std::optional<qint64> decodeNumber(const QByteArray &digits)
{
    static const QByteArray alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : digits) {
        const qsizetype d = alphabet.indexOf(c);
        if (d < 0)
            return std::nullopt;
        value = value * 64 + d;
    }
    return value;
}

std::optional<QByteArray> readFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2 (Debian package dict-devil)").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace

namespace DevilsDictionary {

std::optional<QByteArray> gunzip(const QByteArray &compressed, QString *error)
{
    z_stream stream{};
    // 16 + MAX_WBITS: expect a gzip header (dictzip's extra field included).
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
        if (error)
            *error = QStringLiteral("zlib could not start");
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    QByteArray out;
    char buffer[65536];
    int rc = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        rc = inflate(&stream, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
    } while (rc != Z_STREAM_END);
    inflateEnd(&stream);
    if (rc != Z_STREAM_END) {
        if (error)
            *error = QStringLiteral("the compressed dictionary is damaged or cut short");
        return std::nullopt;
    }
    return out;
}

QVector<Quotation> parse(const QByteArray &dict, const QByteArray &index)
{
    QVector<Quotation> out;
    const QList<QByteArray> lines = index.split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3 || fields.at(0).startsWith("00database"))
            continue;
        const auto offset = decodeNumber(fields.at(1));
        const auto length = decodeNumber(fields.at(2));
        if (!offset || !length || *offset + *length > dict.size())
            continue;
        const QString article = QString::fromUtf8(dict.mid(*offset, *length));
        // The definition proper is the first paragraph; verses and tales follow
        // it. Some headwords stand alone on their line, their text below.
        const QStringList paragraphs = article.split(QLatin1String("\n\n"), Qt::SkipEmptyParts);
        if (paragraphs.isEmpty())
            continue;
        QString first = paragraphs.constFirst();
        for (int i = 1; i < paragraphs.size() && first.simplified().size() < BareHeadwordLength; ++i)
            first += QLatin1Char('\n') + paragraphs.at(i);
        Quotation q;
        q.text = FortuneFile::reflow(first.split(QLatin1Char('\n'))).replace(QLatin1Char('\n'), QLatin1Char(' '));
        q.text.replace(QLatin1Char('_'), QString());
        q.author = QStringLiteral("Ambrose Bierce, The Devil's Dictionary");
        q.source = QStringLiteral("devil");
        q.tag = QString::fromUtf8(fields.at(0)).trimmed().toUpper();
        if (!q.text.isEmpty())
            out << q;
    }
    return out;
}

std::optional<QVector<Quotation>> read(const QString &dictdDir, QString *error)
{
    const auto index = readFile(dictdDir + QStringLiteral("/devil.index"), error);
    if (!index)
        return std::nullopt;
    const auto packed = readFile(dictdDir + QStringLiteral("/devil.dict.dz"), error);
    if (!packed)
        return std::nullopt;
    QString why;
    const auto dict = gunzip(*packed, &why);
    if (!dict) {
        if (error)
            *error = QStringLiteral("%1/devil.dict.dz: %2").arg(dictdDir, why);
        return std::nullopt;
    }
    return parse(*dict, *index);
}

} // namespace DevilsDictionary
