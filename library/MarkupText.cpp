#include "MarkupText.h"

#include <QRegularExpression>

namespace MarkupText {

QString decodeEntities(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9A-Fa-f]+|#\\d+|amp|lt|gt|quot|apos);"));
    QString out;
    out.reserve(text.size());
    qsizetype pos = 0;
    auto it = entity.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(pos, m.capturedStart() - pos);
        const QString name = m.captured(1);
        if (name == QLatin1String("amp"))
            out += QLatin1Char('&');
        else if (name == QLatin1String("lt"))
            out += QLatin1Char('<');
        else if (name == QLatin1String("gt"))
            out += QLatin1Char('>');
        else if (name == QLatin1String("quot"))
            out += QLatin1Char('"');
        else if (name == QLatin1String("apos"))
            out += QLatin1Char('\'');
        else {
            bool ok = false;
            const uint code = name.startsWith(QLatin1String("#x")) ? name.mid(2).toUInt(&ok, 16)
                                                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF)
                out += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        }
        pos = m.capturedEnd();
    }
    out += QStringView(text).mid(pos);
    return out;
}

QString decodeText(const QString &text)
{
    // Some entries escape their markup twice ("&amp;gt;"): what decodes to
    // an entity or an angle bracket here was never meant as text.
    static const QRegularExpression leftover(QStringLiteral("&(?:amp|lt|gt|quot|apos);|[<>]"));
    QString s = decodeEntities(text);
    s.remove(leftover);
    return s;
}

QString expandAbbreviations(const QString &text)
{
    struct Abbreviation {
        QRegularExpression pattern;
        QString full;
    };
    static const Abbreviation table[] = {
        {QRegularExpression(QStringLiteral("\\bK\\. ?J\\. ?V\\.")), QStringLiteral("King James Version")},
        {QRegularExpression(QStringLiteral("\\bN\\. ?I\\. ?V\\.")), QStringLiteral("New International Version")},
        {QRegularExpression(QStringLiteral("\\bR\\. ?V\\.")), QStringLiteral("Revised Version")},
        {QRegularExpression(QStringLiteral("\\bA\\. ?V\\.")), QStringLiteral("Authorized Version")},
        {QRegularExpression(QStringLiteral("\\bO\\. ?T\\.")), QStringLiteral("Old Testament")},
        {QRegularExpression(QStringLiteral("\\bN\\. ?T\\.")), QStringLiteral("New Testament")},
        {QRegularExpression(QStringLiteral("\\bmss\\.")), QStringLiteral("manuscripts")},
        {QRegularExpression(QStringLiteral("\\bi\\. ?e\\.")), QStringLiteral("that is")},
        {QRegularExpression(QStringLiteral("\\be\\. ?g\\.")), QStringLiteral("for example")},
    };
    if (!text.contains(QLatin1Char('.')))
        return text;
    QString s = text;
    for (const Abbreviation &a : table)
        s.replace(a.pattern, a.full);
    return s;
}

QString toPlain(const QString &markup)
{
    static const QRegularExpression lineBreak(QStringLiteral("<lb\\s*/>"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString s = markup;
    s.replace(lineBreak, QStringLiteral(" "));
    s.remove(tag);
    return decodeText(s).simplified();
}

} // namespace MarkupText
