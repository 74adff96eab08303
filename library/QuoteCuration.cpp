#include "QuoteCuration.h"

#include <QFile>
#include <mutex>

static void initQuoteResources()
{
    // The curation lives in a static library: register its resources explicitly.
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(quotes); });
}

namespace {

const QStringList SubjectKinds = {QStringLiteral("say"), QStringLiteral("pick"), QStringLiteral("verse"),
                                  QStringLiteral("verses"), QStringLiteral("devil"), QStringLiteral("author"),
                                  QStringLiteral("words"), QStringLiteral("kjv")};

bool fail(QString *error, int line, const QString &why)
{
    if (error)
        *error = QStringLiteral("quotation curation line %1: %2").arg(line).arg(why);
    return false;
}

bool applyGlobal(Curation &c, const QString &kind, const QString &value, int line, QString *error)
{
    if (kind == QLatin1String("files")) {
        for (const QString &f : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            c.files << f.trimmed();
    } else if (kind == QLatin1String("exclude")) {
        c.excludes << value;
    } else if (kind == QLatin1String("skipauthor")) {
        c.skipAuthors << value;
    } else {
        return fail(error, line, QStringLiteral("unknown global setting \"%1\"").arg(kind));
    }
    return true;
}

bool applySubject(SubjectCuration &s, const QString &kind, const QString &value, int line, QString *error)
{
    if (kind == QLatin1String("title")) {
        s.title = value;
    } else if (kind == QLatin1String("count") || kind == QLatin1String("max")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n <= 0)
            return fail(error, line, QStringLiteral("\"%1\" needs a positive number").arg(kind));
        (kind == QLatin1String("count") ? s.count : s.max) = n;
    } else if (SubjectKinds.contains(kind.section(QLatin1Char(' '), 0, 0))) {
        // "words 12: ..." caps what one rule may add.
        const QString capText = kind.section(QLatin1Char(' '), 1);
        bool ok = true;
        const int cap = capText.isEmpty() ? 0 : capText.toInt(&ok);
        if (!ok || cap < 0)
            return fail(error, line, QStringLiteral("\"%1\" has a bad cap").arg(kind));
        s.rules.append({kind.section(QLatin1Char(' '), 0, 0), value, line, cap});
    } else {
        return fail(error, line, QStringLiteral("unknown rule \"%1\"").arg(kind));
    }
    return true;
}

} // namespace

namespace QuoteCuration {

std::optional<Curation> parse(const QString &text, QString *error)
{
    Curation c;
    bool inGlobal = false;
    SubjectCuration *current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString key = line.mid(1, line.size() - 2);
            inGlobal = key == QLatin1String("*");
            current = nullptr;
            if (!inGlobal) {
                for (const SubjectCuration &s : std::as_const(c.subjects)) {
                    if (s.key == key) {
                        fail(error, lineNo, QStringLiteral("subject \"%1\" appears twice").arg(key));
                        return std::nullopt;
                    }
                }
                c.subjects.append(SubjectCuration{key, key, 0, 20, {}});
                current = &c.subjects.last();
            }
            continue;
        }
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0) {
            fail(error, lineNo, QStringLiteral("expected \"kind: value\""));
            return std::nullopt;
        }
        const QString kind = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (value.isEmpty()) {
            fail(error, lineNo, QStringLiteral("\"%1\" has no value").arg(kind));
            return std::nullopt;
        }
        const bool ok = inGlobal ? applyGlobal(c, kind, value, lineNo, error)
                       : current ? applySubject(*current, kind, value, lineNo, error)
                                 : fail(error, lineNo, QStringLiteral("rule outside a subject"));
        if (!ok)
            return std::nullopt;
    }
    return c;
}

std::optional<Curation> load(QString *error)
{
    initQuoteResources();
    QFile file(QStringLiteral(":/quotes/curation.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("the quotation curation is missing from the importer");
        return std::nullopt;
    }
    return parse(QString::fromUtf8(file.readAll()), error);
}

} // namespace QuoteCuration
