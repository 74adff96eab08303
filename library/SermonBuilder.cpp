#include "SermonBuilder.h"

#include "reference/SubjectLists.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <mutex>

static void initSermonResources()
{
    // The texts live in a static library: register its resources explicitly.
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(sermons); });
}

namespace {

struct SermonFile {
    const char *key;
    const char *file;
};

// Subject keys are exact, blanks included ("Divisions , The",
// "Expository Sermon Sample " with its trailing blank).
constexpr SermonFile SermonFiles[] = {
    {"Application, The", "application.txt"},
    {"Basic Sermon Out Line", "basic-outline.txt"},
    {"Conclusion, The", "conclusion.txt"},
    {"Discussion, The", "discussion.txt"},
    {"Divisions , The", "divisions.txt"},
    {"Expository Sermon Sample ", "expository-sample.txt"},
    {"Expository Sermon:", "expository-sermon.txt"},
    {"Illustration, The", "illustration.txt"},
    {"Introduction, The", "introduction.txt"},
    {"Proposition, The", "proposition.txt"},
    {"Textual Sermon Sample", "textual-sample.txt"},
    {"Textual Sermon:", "textual-sermon.txt"},
    {"Title, The", "title.txt"},
    {"Topical Sermon Sample", "topical-sample.txt"},
    {"Topical Sermon:", "topical-sermon.txt"},
};

std::optional<QString> readSermonText(const QString &file, QString *error)
{
    QFile in(QStringLiteral(":/sermons/") + file);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("sermon text %1 is missing from the build").arg(file);
        return std::nullopt;
    }
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(in.readAll());
    if (decode.hasError()) {
        *error = QStringLiteral("sermon text %1 is not valid UTF-8").arg(file);
        return std::nullopt;
    }
    // A checkout with Windows line ends must still give the same rows.
    text.remove(QLatin1Char('\r'));
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    if (text.isEmpty()) {
        *error = QStringLiteral("sermon text %1 is empty").arg(file);
        return std::nullopt;
    }
    return text;
}

} // namespace

namespace SermonBuilder {

std::optional<QVector<LibraryEntry>> build(QString *error)
{
    initSermonResources();
    const QStringList keys = SubjectLists::load(QStringLiteral("lstSermonType"));
    if (keys.isEmpty()) {
        *error = QStringLiteral("the lstSermonType subject list is missing");
        return std::nullopt;
    }

    QVector<LibraryEntry> entries;
    QSet<QString> used;
    for (const QString &key : keys) {
        const SermonFile *match = nullptr;
        for (const SermonFile &row : SermonFiles) {
            if (key == QString::fromUtf8(row.key)) {
                match = &row;
                break;
            }
        }
        if (!match) {
            *error = QStringLiteral("no sermon text for the subject \"%1\"").arg(key);
            return std::nullopt;
        }
        const auto text = readSermonText(QString::fromLatin1(match->file), error);
        if (!text)
            return std::nullopt;
        used.insert(QString::fromUtf8(match->key));
        entries.append({key, *text});
    }
    // A text whose subject left the list would silently vanish from the library.
    for (const SermonFile &row : SermonFiles) {
        if (!used.contains(QString::fromUtf8(row.key))) {
            *error = QStringLiteral("sermon text %1 belongs to \"%2\", which lstSermonType does not list")
                         .arg(QString::fromLatin1(row.file), QString::fromUtf8(row.key));
            return std::nullopt;
        }
    }
    return entries;
}

QVector<SourceInfo> sources()
{
    return {
        {QStringLiteral("Vellumor sermon guides and sample sermons"),
         QStringLiteral("Vellumor source (library/sermons)"),
         QStringLiteral("original writing of the Vellumor developers, distributed with the program"),
         QStringLiteral("a guide to each part of a sermon, the three sermon types, an outline template "
                        "and three complete sample sermons")},
        {QStringLiteral("King James Version"), QStringLiteral("sword-text-kjv"), QStringLiteral("Public domain (in the UK the Crown's letters patent govern its printing)"),
         QStringLiteral("verses quoted word for word in the guides and samples, each with its reference")},
    };
}

} // namespace SermonBuilder
