#include "NaveCrossReferences.h"

#include <QRegularExpression>
#include <utility>

namespace {

// Targets the rules below cannot settle: a choice between topics, or a
// form Nave uses nowhere else.
constexpr std::pair<const char *, const char *> Aliases[] = {
    {"MINISTER", "MINISTER, CHRISTIAN"},
    {"MINISTERS", "MINISTER, CHRISTIAN"},
    {"ANGEL", "ANGEL (A SPIRIT)"},
    {"ANGELS", "ANGEL (A SPIRIT)"},
    {"WOMAN", "WOMEN"},
    {"GIFTS", "GIFTS FROM GOD"},
    {"BACKSLIDING", "BACKSLIDERS"},
    {"SELF-CRIMINATION", "SELF-INCRIMINATION"},
    {"SPEAKING EVIL", "EVIL SPEAKING"},
    {"FALSE WITNESS", "WITNESS"},
    {"DOUBT", "DOUBTING"},
    {"GIFT", "GIFTS FROM GOD"},
    {"MIDWIFE", "MIDWIFERY"},
    {"REASON", "REASONING"},
    {"IMPENITENT", "IMPENITENCE"},
    {"PRUNING-HOOK", "PRUNING"},
    {"GOATS' HAIR", "GOAT"},
    {"CARPENTER", "CARPENTRY"},
    {"SOLICITED, INSTANCES OF", "PRAYER"},
    {"ANSWERED, INSTANCES OF", "PRAYER"},
};

QString squeezed(QString heading)
{
    return heading.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
}

bool isTargetWord(QStringView word)
{
    bool letters = false;
    for (const QChar c : word) {
        if (c.isLower() || c.isDigit() || c == QLatin1Char(';') || c == QLatin1Char(':') || c == QLatin1Char('='))
            return false;
        letters = letters || c.isLetter();
    }
    return letters;
}

// Where the words of capitals that make a target end: "See UR 1 Chronicles",
// "See SOCOH, number one", "See HELL(Hades)". Trailing blanks, commas and
// brackets are not part of it.
qsizetype targetEnd(const QString &line, qsizetype start)
{
    qsizetype end = start;
    qsizetype i = start;
    while (i < line.size()) {
        qsizetype next = line.indexOf(QLatin1Char(' '), i);
        if (next < 0)
            next = line.size();
        QStringView word = QStringView(line).mid(i, next - i);
        // A bracket opening lower-case words ends the target inside the word.
        const qsizetype bracket = word.indexOf(QLatin1Char('('));
        if (bracket > 0 && !isTargetWord(word) && isTargetWord(word.left(bracket))) {
            end = i + bracket;
            break;
        }
        while (!word.isEmpty() && (word.back() == QLatin1Char(';') || word.back() == QLatin1Char('=')))
            word.chop(1);
        if (!isTargetWord(word))
            break;
        end = i + word.size();
        if (word.size() < next - i)
            break; // a semicolon ends it
        i = next + 1;
    }
    while (end > start && (line.at(end - 1) == QLatin1Char(',') || line.at(end - 1) == QLatin1Char('(')))
        --end;
    // A full stop after a word, not after an initial ("R. V."), ends the sentence.
    if (end - start > 2 && line.at(end - 1) == QLatin1Char('.') && line.at(end - 2).isLetter() && line.at(end - 3).isLetter())
        --end;
    return end;
}

// "See A. V." or "See R" are no topics: a target starts with a word of capitals.
bool startsTarget(const QString &line, qsizetype pos)
{
    return pos + 1 < line.size() && line.at(pos).isUpper() && line.at(pos + 1).isUpper();
}

// The line of the article that a sub-heading in capitals opens; with
// anyCase, also an entry in small letters ("MOST HOLY PLACE" for "The Most
// Holy Place Exodus 26:33-35"). -1 if none does.
qsizetype subheadingLine(const QStringList &lines, const QString &sub, bool anyCase = false)
{
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString text = lines.at(i).trimmed();
        if (!anyCase) {
            if (text.startsWith(sub) && text.left(targetEnd(text, 0)) == sub)
                return i;
            continue;
        }
        const QStringView rest = text.startsWith(QLatin1String("The ")) ? QStringView(text).mid(4) : QStringView(text);
        if (rest.startsWith(sub, Qt::CaseInsensitive) && (rest.size() == sub.size() || !rest.at(sub.size()).isLetter()))
            return i;
    }
    return -1;
}

} // namespace

NaveCrossReferences::NaveCrossReferences(const QHash<QString, QString> &articles)
    : m_articles(articles)
{
    for (auto it = articles.constBegin(); it != articles.constEnd(); ++it)
        m_squeezed.insert(squeezed(it.key()), it.key());
}

QString NaveCrossReferences::find(const QString &target) const
{
    if (m_articles.contains(target))
        return target;
    for (const auto &[from, to] : Aliases)
        if (target == QLatin1String(from))
            return QString::fromLatin1(to);
    // The same word in the other number: PRIESTS for PRIEST, COLOR for COLORS.
    QStringList forms{target};
    if (target.endsWith(QLatin1String("IES")))
        forms << target.chopped(3) + QLatin1Char('Y');
    if (target.endsWith(QLatin1String("ES")))
        forms << target.chopped(2);
    if (target.endsWith(QLatin1Char('S')))
        forms << target.chopped(1);
    if (target.endsWith(QLatin1Char('Y')))
        forms << target.chopped(1) + QLatin1String("IES");
    forms << target + QLatin1Char('S') << target + QLatin1String("ES");
    // A heading that goes on: JESUS, THE CHRIST; TONGUES (THE GIFT); THEFT AND
    // THIEVES; PALM TREE; only where one heading does.
    static const QStringList continuations{QStringLiteral(", "), QStringLiteral(" ("), QStringLiteral(" AND "),
                                           QStringLiteral(" OF "), QStringLiteral(" AT "), QStringLiteral(" TREE")};
    for (const QString &form : std::as_const(forms)) {
        if (m_articles.contains(form))
            return form;
        const QString close = m_squeezed.value(squeezed(form)); // MERCY SEAT, MERCY-SEAT
        if (!close.isEmpty())
            return close;
        QStringList longer;
        for (auto it = m_articles.constBegin(); it != m_articles.constEnd(); ++it)
            for (const QString &c : continuations)
                if (it.key().startsWith(form + c))
                    longer << it.key();
        longer.removeDuplicates();
        if (longer.size() == 1)
            return longer.constFirst();
    }
    // SPEAKING, EVIL is EVIL SPEAKING.
    const qsizetype comma = target.indexOf(QLatin1String(", "));
    if (comma > 0 && target.indexOf(QLatin1String(", "), comma + 2) < 0) {
        const QString turned = target.mid(comma + 2) + QLatin1Char(' ') + target.left(comma);
        if (m_articles.contains(turned))
            return turned;
    }
    return {};
}

bool NaveCrossReferences::hasSubheading(const QString &heading, const QString &sub, bool anyCase) const
{
    return subheadingLine(m_articles.value(heading).split(QLatin1Char('\n')), sub, anyCase) > 0;
}

QString NaveCrossReferences::resolve(const QString &target, const QString &tail, const QStringList &article,
                                     qsizetype lineIndex) const
{
    // Pointers inside this topic: "See BENEFITS OF, above", "See HOLINESS OF".
    static const QRegularExpression direction(QStringLiteral("^,? (?:above|below)\\b"));
    if (direction.match(tail).hasMatch())
        return target;
    if (const QString h = find(target); !h.isEmpty())
        return h != target && hasSubheading(h, target) ? target + QStringLiteral(", under ") + h : h;
    // A sub-heading of this topic: "See HOLINESS OF", "See GOD, HOLINESS OF"
    // within GOD, "See PRESENCE OF, UBIQUITOUS" within GOD.
    for (qsizetype from = 0; from >= 0; from = target.indexOf(QLatin1String(", "), from + 1)) {
        const QString before = target.left(from);
        if (from > 0 && find(before) != article.constFirst() && subheadingLine(article, before) < 0)
            continue;
        const QString sub = target.mid(from == 0 ? 0 : from + 2);
        const qsizetype inside = subheadingLine(article, sub);
        if (inside > 0 && inside != lineIndex)
            return sub + (inside < lineIndex ? QStringLiteral(", above") : QStringLiteral(", below"));
    }
    // Nave's own "See FIGURATIVE, under WAR" and "See FIGURATIVE under principal topics".
    static const QRegularExpression under(QStringLiteral("^,? under\\b"));
    if (under.match(tail).hasMatch())
        return target;
    // A topic and one of its sub-headings: "WICKED, PUNISHMENT OF", "LAW OF
    // MOSES", "JOHN THE BAPTIST"; the longest topic that answers.
    static const QRegularExpression cut(QStringLiteral(", | "));
    QString resolved;
    for (auto c = cut.globalMatch(target); c.hasNext();) {
        const QRegularExpressionMatch split = c.next();
        const QString h = find(target.left(split.capturedStart()));
        if (h.isEmpty())
            continue;
        const QString sub = target.mid(split.capturedEnd());
        resolved = hasSubheading(h, sub) ? sub + QStringLiteral(", under ") + h : h;
    }
    return resolved;
}

QString NaveCrossReferences::rewriteLine(const QStringList &article, qsizetype lineIndex, QStringList *unresolved) const
{
    static const QRegularExpression see(QStringLiteral("\\b[Ss]ee (?:also )?"));
    const QString &line = article.at(lineIndex);
    QString out;
    qsizetype pos = 0;
    for (auto it = see.globalMatch(line); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        qsizetype at = m.capturedEnd();
        if (m.capturedStart() < pos || !startsTarget(line, at))
            continue;
        out += QStringView(line).mid(pos, m.capturedStart() - pos);
        QStringList kept;
        qsizetype end = at;
        while (true) {
            qsizetype stop = targetEnd(line, at);
            const QString target = line.mid(at, stop - at).simplified();
            QString resolved = resolve(target, line.mid(stop), article, lineIndex);
            // "See MOST HOLY PLACE, under the topic TABERNACLE"
            static const QRegularExpression underTopic(QStringLiteral("^, under the topic (?=[A-Z][A-Z])"));
            if (const QRegularExpressionMatch u = underTopic.match(line.mid(stop)); u.hasMatch()) {
                const qsizetype from = stop + u.capturedLength();
                const qsizetype to = targetEnd(line, from);
                if (const QString h = find(line.mid(from, to - from)); !h.isEmpty() && hasSubheading(h, target, true)) {
                    resolved = target + QStringLiteral(", under ") + h;
                    stop = to;
                }
            }
            if (resolved.isEmpty() && unresolved)
                *unresolved << target;
            if (!resolved.isEmpty())
                kept << resolved;
            end = stop;
            // More targets of the same "See": "See PLAGUES; MIRACLES".
            if (line.mid(stop, 2) == QLatin1String("; ") && startsTarget(line, stop + 2)) {
                at = stop + 2;
                continue;
            }
            break;
        }
        if (!kept.isEmpty()) {
            out += m.captured() + kept.join(QStringLiteral("; "));
            if (end < line.size() && line.at(end) == QLatin1Char('('))
                out += QLatin1Char(' ');
        } else {
            // Nothing it names is here: the "See" goes, with the comma that led to it.
            while (out.endsWith(QLatin1Char(' ')) || out.endsWith(QLatin1Char(',')))
                out.chop(1);
        }
        pos = end;
    }
    out += QStringView(line).mid(pos);
    return out;
}

QString NaveCrossReferences::rewrite(const QString &article, QStringList *unresolved) const
{
    const QStringList lines = article.split(QLatin1Char('\n'));
    QStringList out{lines.constFirst()};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines.at(i).contains(QLatin1String("ee "))) {
            out << lines.at(i);
            continue;
        }
        const QString rewritten = rewriteLine(lines, i, unresolved);
        // A line that was only a "See" to nowhere goes.
        if (!rewritten.trimmed().isEmpty() || lines.at(i).trimmed().isEmpty())
            out << rewritten;
    }
    return out.join(QLatin1Char('\n'));
}
