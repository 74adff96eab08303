#include "FortuneFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A line of this width or more was wrapped by the file's editor, not by the poet.
constexpr int WrapWidth = 50;
constexpr int MaxAttributionLines = 4;

QString expandTabs(const QString &line)
{
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == QLatin1Char('\t'))
            out += QString(8 - out.size() % 8, QLatin1Char(' '));
        else
            out += c;
    }
    return out;
}

Quotation makeQuotation(QStringList lines, const QString &source)
{
    static const QRegularExpression attribution(QStringLiteral("^\\s*--\\s*(\\S.*)$"));
    while (!lines.isEmpty() && lines.constLast().trimmed().isEmpty())
        lines.removeLast();
    while (!lines.isEmpty() && lines.constFirst().trimmed().isEmpty())
        lines.removeFirst();

    Quotation q;
    q.source = source;
    int attributionLine = -1;
    for (int i = lines.size() - 1; i > 0 && lines.size() - i <= MaxAttributionLines; --i) {
        if (attribution.match(lines.at(i)).hasMatch()) {
            attributionLine = i;
            break;
        }
        // Only indented continuation lines may follow an attribution.
        if (!lines.at(i).startsWith(QLatin1Char(' ')) && !lines.at(i).startsWith(QLatin1Char('\t')))
            break;
    }
    if (attributionLine > 0) {
        QStringList who = lines.mid(attributionLine);
        who[0] = attribution.match(who.at(0)).captured(1);
        q.author = who.join(QLatin1Char(' ')).simplified();
        lines = lines.mid(0, attributionLine);
    }
    q.text = FortuneFile::reflow(lines);
    return q;
}

} // namespace

namespace FortuneFile {

QString reflow(const QStringList &rawLines)
{
    QStringList out;
    bool joinNext = false;
    int previousIndent = 0;
    for (const QString &raw : rawLines) {
        const QString line = expandTabs(raw);
        const QString words = line.simplified();
        if (words.isEmpty()) {
            joinNext = false;
            continue;
        }
        const int indent = int(line.indexOf(words.at(0)));
        // A deeper indent starts a new line even after a long one (a verse, a reply).
        if (joinNext && !out.isEmpty() && indent <= previousIndent)
            out.last() += QLatin1Char(' ') + words;
        else
            out << words;
        joinNext = line.trimmed().size() >= WrapWidth;
        previousIndent = indent;
    }
    return out.join(QLatin1Char('\n'));
}

QVector<Quotation> parse(const QString &content, const QString &source)
{
    // Old files underline by overstriking: "_\bX" shows as X.
    QString text = content;
    static const QRegularExpression overstrike(QStringLiteral(".\\x{0008}"));
    text.remove(overstrike);
    text.remove(QLatin1Char('\r'));
    // A few entries were converted to UTF-8 twice.
    text.replace(QStringLiteral("\u00C2\u00A3"), QStringLiteral("\u00A3"));

    QVector<Quotation> out;
    QStringList current;
    const auto flush = [&] {
        Quotation q = makeQuotation(current, source);
        if (!q.text.isEmpty())
            out << q;
        current.clear();
    };
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.trimmed() == QLatin1String("%") && line.startsWith(QLatin1Char('%')))
            flush();
        else
            current << line;
    }
    flush();
    return out;
}

std::optional<QVector<Quotation>> read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2 (Debian package fortunes)").arg(path, file.errorString());
        return std::nullopt;
    }
    return parse(QString::fromUtf8(file.readAll()), QFileInfo(path).fileName());
}

} // namespace FortuneFile
