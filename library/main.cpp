// vellumor-library: builds the four reference databases the program reads.

#include "BibleBuilder.h"
#include "DbWriter.h"
#include "DictionaryBuilder.h"
#include "FindIndex.h"
#include "KjvWordList.h"
#include "QuoteBuilder.h"
#include "SermonBuilder.h"
#include "SwordSource.h"
#include "reference/ReferenceSchema.h"
#include "reference/SubjectLists.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <functional>

namespace {

QString fromView(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

struct Job {
    ReferenceSchema::Table table;
    std::function<std::optional<QVector<LibraryEntry>>(QString *)> build;
    QVector<SourceInfo> sources;
    // Tables beside the entries: what makes Find across a panel fast.
    std::function<QVector<ExtraTable>(const QVector<LibraryEntry> &)> extra;
};

// A database that misses a subject would show the fallback record instead.
bool coversSubjectList(const ReferenceSchema::Table &table, const QVector<LibraryEntry> &entries, QString *error)
{
    QSet<QString> keys;
    for (const LibraryEntry &entry : entries)
        keys.insert(entry.key);
    const QStringList subjects = SubjectLists::load(fromView(table.subjectList));
    if (subjects.isEmpty()) {
        *error = QStringLiteral("the subject list %1 cannot be read").arg(fromView(table.subjectList));
        return false;
    }
    for (const QString &subject : subjects) {
        if (!keys.contains(subject)) {
            *error = QStringLiteral("%1 has no record for the subject \"%2\"").arg(fromView(table.file), subject);
            return false;
        }
    }
    return true;
}

int fail(QTextStream &err, const QString &message)
{
    const QStringList lines = message.split(QLatin1Char('\n'));
    for (const QString &line : lines)
        err << "vellumor-library: " << line << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumor-library"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Builds bible.db, joke.db, quote.db and sermon.db from the installed SWORD modules (the KJV, "
        "Strong's, Nave's and The Treasury of David), the fortune files, The Devil's Dictionary and "
        "Vellumor's sermon guides, and the list of the Bible's words for the spelling checker."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder to write the databases into."),
                                       QStringLiteral("DIR"));
    parser.addOption(outOption);
    const QCommandLineOption candidatesOption(
        QStringLiteral("quotation-candidates"),
        QStringLiteral("Instead of building, list every saying the quotation curation may choose from."),
        QStringLiteral("FILE"));
    parser.addOption(candidatesOption);
    const QCommandLineOption wordListOption(
        QStringLiteral("word-list"),
        QStringLiteral("Instead of building, write the Bible's word list from the bible.db and joke.db in DIR."),
        QStringLiteral("DIR"));
    parser.addOption(wordListOption);
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (parser.isSet(candidatesOption)) {
        SwordSource sword;
        QString error;
        if (!sword.open(&error) || !QuoteBuilder::writeCandidates(sword, parser.value(candidatesOption), &error))
            return fail(err, error);
        return 0;
    }
    const auto writeWordList = [&](const QString &dir) {
        QString error;
        const qsizetype words = KjvWordList::write(dir, &error);
        if (words < 0)
            return fail(err, error);
        out << "  " << fromView(ReferenceSchema::KjvWordsFile) << ": " << words << " words" << Qt::endl;
        return 0;
    };
    if (parser.isSet(wordListOption))
        return writeWordList(parser.value(wordListOption));
    if (!parser.isSet(outOption) || parser.value(outOption).isEmpty())
        return fail(err, QStringLiteral("give the output folder with --out DIR"));
    const QDir outDir(parser.value(outOption));
    if (!outDir.mkpath(QStringLiteral(".")))
        return fail(err, QStringLiteral("cannot create the folder %1").arg(outDir.path()));

    QElapsedTimer total;
    total.start();
    out << "Reading the SWORD modules..." << Qt::endl;
    SwordSource sword;
    QString error;
    if (!sword.open(&error))
        return fail(err, error);
    out << "  KJV: " << sword.kjv().size() << " verses (" << total.elapsed() << " ms)" << Qt::endl;

    const auto none = [](const QVector<LibraryEntry> &) { return QVector<ExtraTable>(); };
    const Job jobs[] = {
        {ReferenceSchema::Bible, [&](QString *e) { return BibleBuilder::build(sword.kjv(), e); },
         BibleBuilder::sources(),
         [&](const QVector<LibraryEntry> &entries) {
             return QVector<ExtraTable>{FindIndex::findText(entries),
                                        FindIndex::bibleChapters(BibleBuilder::chapters(sword.kjv()))};
         }},
        {ReferenceSchema::Joke, [&](QString *e) { return DictionaryBuilder::build(sword, e); },
         DictionaryBuilder::sources(),
         [](const QVector<LibraryEntry> &entries) { return QVector<ExtraTable>{FindIndex::findText(entries)}; }},
        {ReferenceSchema::Quote, [&](QString *e) { return QuoteBuilder::build(sword, e); },
         QuoteBuilder::sources(), none},
        {ReferenceSchema::Sermon, [](QString *e) { return SermonBuilder::build(e); }, SermonBuilder::sources(), none},
    };
    for (const Job &job : jobs) {
        const QString file = fromView(job.table.file);
        QElapsedTimer timer;
        timer.start();
        out << "Building " << file << "..." << Qt::endl;
        const std::optional<QVector<LibraryEntry>> entries = job.build(&error);
        if (!entries)
            return fail(err, QStringLiteral("%1: %2").arg(file, error));
        if (!coversSubjectList(job.table, *entries, &error))
            return fail(err, error);
        const QString path = outDir.filePath(file);
        if (!DbWriter::write(path, job.table, *entries, job.sources, &error, job.extra(*entries)))
            return fail(err, error);
        out << "  " << file << ": " << entries->size() << " records, " << QFileInfo(path).size() / 1024
            << " KiB (" << timer.elapsed() << " ms)" << Qt::endl;
    }
    out << "Listing the Bible's words..." << Qt::endl;
    if (const int failed = writeWordList(outDir.path()))
        return failed;
    out << "Done in " << total.elapsed() << " ms." << Qt::endl;
    return 0;
}
