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
                                  QStringLiteral("verses"), QStringLiteral("devil"), QStringLiteral("treasury")};

bool fail(QString *error, const QString &fileName, int line, const QString &why)
{
    if (error)
        *error = QStringLiteral("quotation %1 line %2: %3").arg(fileName).arg(line).arg(why);
    return false;
}

bool applyGlobal(Curation &c, const QString &kind, const QString &value, int line, QString *error,
                 const QString &fileName)
{
    if (kind == QLatin1String("files")) {
        for (const QString &f : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            c.files << f.trimmed();
    } else if (kind == QLatin1String("drop")) {
        const QStringList parts = value.split(QLatin1Char('|'));
        if (parts.size() != 3 || parts.at(0).trimmed().isEmpty() || parts.at(2).trimmed().isEmpty())
            return fail(error, fileName, line, QStringLiteral("expected \"drop: words | author | why\""));
        c.dropped.append({parts.at(0).trimmed(), parts.at(1).trimmed(), parts.at(2).trimmed(), line});
    } else if (kind == QLatin1String("credit")) {
        const QStringList parts = value.split(QLatin1Char('|'));
        if (parts.size() != 2 || parts.at(0).trimmed().isEmpty() || parts.at(1).trimmed().isEmpty())
            return fail(error, fileName, line, QStringLiteral("expected \"credit: as the source gives it | as it should read\""));
        c.credits.append({parts.at(0).trimmed(), parts.at(1).trimmed(), line});
    } else {
        return fail(error, fileName, line, QStringLiteral("unknown global setting \"%1\"").arg(kind));
    }
    return true;
}

bool applySubject(SubjectCuration &s, const QString &kind, const QString &value, int line, QString *error,
                  const QString &fileName)
{
    if (kind == QLatin1String("title")) {
        s.title = value;
    } else if (kind == QLatin1String("count")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n <= 0)
            return fail(error, fileName, line, QStringLiteral("\"count\" needs a positive number"));
        s.count = n;
    } else if (SubjectKinds.contains(kind)) {
        s.rules.append({kind, value, line});
    } else {
        return fail(error, fileName, line, QStringLiteral("unknown rule \"%1\"").arg(kind));
    }
    return true;
}

std::optional<QString> readResource(const QString &name, QString *error)
{
    QFile file(QStringLiteral(":/quotes/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("the quotation %1 is missing from the importer").arg(name);
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

namespace QuoteCuration {

std::optional<Curation> parse(const QString &text, QString *error, const QString &fileName)
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
                        fail(error, fileName, lineNo, QStringLiteral("subject \"%1\" appears twice").arg(key));
                        return std::nullopt;
                    }
                }
                c.subjects.append(SubjectCuration{key, key, 0, {}});
                current = &c.subjects.last();
            }
            continue;
        }
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0) {
            fail(error, fileName, lineNo, QStringLiteral("expected \"kind: value\""));
            return std::nullopt;
        }
        const QString kind = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (value.isEmpty()) {
            fail(error, fileName, lineNo, QStringLiteral("\"%1\" has no value").arg(kind));
            return std::nullopt;
        }
        const bool ok = inGlobal ? applyGlobal(c, kind, value, lineNo, error, fileName)
                       : current ? applySubject(*current, kind, value, lineNo, error, fileName)
                                 : fail(error, fileName, lineNo, QStringLiteral("rule outside a subject"));
        if (!ok)
            return std::nullopt;
    }
    return c;
}

std::optional<Curation> load(QString *error)
{
    initQuoteResources();
    const auto chosen = readResource(QStringLiteral("curation.txt"), error);
    const auto left = chosen ? readResource(QStringLiteral("dropped.txt"), error) : std::nullopt;
    if (!left)
        return std::nullopt;
    auto curation = parse(*chosen, error);
    const auto dropped = curation ? parse(*left, error, QStringLiteral("dropped.txt")) : std::nullopt;
    if (!dropped)
        return std::nullopt;
    if (!dropped->subjects.isEmpty() || !dropped->files.isEmpty() || !dropped->credits.isEmpty()) {
        if (error)
            *error = QStringLiteral("quotation dropped.txt may hold only \"drop:\" lines");
        return std::nullopt;
    }
    curation->dropped = dropped->dropped;
    return curation;
}

} // namespace QuoteCuration
