#include "SwordSource.h"

#include "OsisVerse.h"

#include <QSet>

#include <iterator>

// libsword's headers are not warning-clean; keep their noise out of ours.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <swkey.h>
#include <swmgr.h>
#include <swmodule.h>
#include <versekey.h>
#pragma GCC diagnostic pop

namespace {

struct ModuleInfo {
    const char *name;
    const char *description;
    const char *package;
};

constexpr ModuleInfo KjvModule{"engKJV2006eb", "King James Version with Strong's numbers", "sword-text-kjv"};
constexpr ModuleInfo Modules[] = {
    KjvModule,
    {"StrongsHebrew", "Strong's Hebrew dictionary", "sword-dict-strongs-hebrew"},
    {"StrongsGreek", "Strong's Greek dictionary", "sword-dict-strongs-greek"},
    {"Nave", "Nave's Topical Bible", "sword-dict-naves"},
    {"TDavid", "C. H. Spurgeon's The Treasury of David", "sword-comm-tdavid"},
};

struct Book {
    const char *osis;
    const char *name;
};

// Canonical order; the names a reader writes rather than SWORD's
// "I Samuel" or "Revelation of John".
constexpr Book Books[] = {
    {"Gen", "Genesis"},        {"Exod", "Exodus"},         {"Lev", "Leviticus"},
    {"Num", "Numbers"},        {"Deut", "Deuteronomy"},    {"Josh", "Joshua"},
    {"Judg", "Judges"},        {"Ruth", "Ruth"},           {"1Sam", "1 Samuel"},
    {"2Sam", "2 Samuel"},      {"1Kgs", "1 Kings"},        {"2Kgs", "2 Kings"},
    {"1Chr", "1 Chronicles"},  {"2Chr", "2 Chronicles"},   {"Ezra", "Ezra"},
    {"Neh", "Nehemiah"},       {"Esth", "Esther"},         {"Job", "Job"},
    {"Ps", "Psalms"},          {"Prov", "Proverbs"},       {"Eccl", "Ecclesiastes"},
    {"Song", "Song of Solomon"}, {"Isa", "Isaiah"},        {"Jer", "Jeremiah"},
    {"Lam", "Lamentations"},   {"Ezek", "Ezekiel"},        {"Dan", "Daniel"},
    {"Hos", "Hosea"},          {"Joel", "Joel"},           {"Amos", "Amos"},
    {"Obad", "Obadiah"},       {"Jonah", "Jonah"},         {"Mic", "Micah"},
    {"Nah", "Nahum"},          {"Hab", "Habakkuk"},        {"Zeph", "Zephaniah"},
    {"Hag", "Haggai"},         {"Zech", "Zechariah"},      {"Mal", "Malachi"},
    {"Matt", "Matthew"},       {"Mark", "Mark"},           {"Luke", "Luke"},
    {"John", "John"},          {"Acts", "Acts"},           {"Rom", "Romans"},
    {"1Cor", "1 Corinthians"}, {"2Cor", "2 Corinthians"},  {"Gal", "Galatians"},
    {"Eph", "Ephesians"},      {"Phil", "Philippians"},    {"Col", "Colossians"},
    {"1Thess", "1 Thessalonians"}, {"2Thess", "2 Thessalonians"}, {"1Tim", "1 Timothy"},
    {"2Tim", "2 Timothy"},     {"Titus", "Titus"},         {"Phlm", "Philemon"},
    {"Heb", "Hebrews"},        {"Jas", "James"},           {"1Pet", "1 Peter"},
    {"2Pet", "2 Peter"},       {"1John", "1 John"},        {"2John", "2 John"},
    {"3John", "3 John"},       {"Jude", "Jude"},           {"Rev", "Revelation"},
};
constexpr int OldTestamentBooks = 39;
static_assert(std::size(Books) == 66);

// The KJV's shape; a module that differs is damaged or another edition.
constexpr int KjvChapters = 1189;
constexpr int KjvVerses = 31102;

QString missingModuleMessage(const ModuleInfo &module)
{
    return QStringLiteral("SWORD module \"%1\" (%2) is not installed: install the Debian package %3")
        .arg(QLatin1String(module.name), QLatin1String(module.description), QLatin1String(module.package));
}

} // namespace

class SwordSourcePrivate {
public:
    std::unique_ptr<sword::SWMgr> manager;
    QVector<KjvVerse> verses;

    bool readKjv(QString *error);
};

bool SwordSourcePrivate::readKjv(QString *error)
{
    sword::SWModule *module = manager->getModule(KjvModule.name);
    auto *key = dynamic_cast<sword::VerseKey *>(module->getKey());
    if (!key) {
        *error = QStringLiteral("SWORD module \"%1\" is not a Bible text").arg(QLatin1String(KjvModule.name));
        return false;
    }
    key->setIntros(false);
    key->setAutoNormalize(true);

    QVector<KjvVerse> verses;
    verses.reserve(KjvVerses);
    QSet<int> chapters;
    for (module->setPosition(sword::SW_POSITION(POS_TOP)); !module->popError(); module->increment()) {
        const int testament = key->getTestament();
        const int bookIndex = (testament == 2 ? OldTestamentBooks : 0) + key->getBook() - 1;
        if (key->getChapter() < 1 || key->getVerse() < 1)
            continue;
        if (bookIndex < 0 || bookIndex >= int(std::size(Books))
            || QLatin1String(key->getOSISBookName()) != QLatin1String(Books[bookIndex].osis)) {
            *error = QStringLiteral("SWORD module \"%1\" has an unexpected book \"%2\"; reinstall %3")
                         .arg(QLatin1String(KjvModule.name), QLatin1String(key->getOSISBookName()),
                              QLatin1String(KjvModule.package));
            return false;
        }
        KjvVerse verse;
        verse.bookIndex = bookIndex;
        verse.book = QLatin1String(Books[bookIndex].name);
        verse.chapter = key->getChapter();
        verse.verse = key->getVerse();
        OsisVerse::Parsed parsed = OsisVerse::parse(QString::fromUtf8(module->getRawEntry()));
        if (parsed.text.isEmpty()) {
            *error = QStringLiteral("SWORD module \"%1\" has no text for %2; reinstall %3")
                         .arg(QLatin1String(KjvModule.name), verse.reference(), QLatin1String(KjvModule.package));
            return false;
        }
        verse.text = std::move(parsed.text);
        verse.title = std::move(parsed.title);
        verse.words = std::move(parsed.words);
        chapters.insert(bookIndex * 1000 + verse.chapter);
        verses.append(std::move(verse));
    }
    if (verses.size() != KjvVerses || chapters.size() != KjvChapters) {
        *error = QStringLiteral("SWORD module \"%1\" holds %2 verses in %3 chapters, not %4 in %5; reinstall %6")
                     .arg(QLatin1String(KjvModule.name))
                     .arg(verses.size())
                     .arg(chapters.size())
                     .arg(KjvVerses)
                     .arg(KjvChapters)
                     .arg(QLatin1String(KjvModule.package));
        return false;
    }
    this->verses = std::move(verses);
    return true;
}

SwordSource::SwordSource() : d(std::make_unique<SwordSourcePrivate>()) {}

SwordSource::~SwordSource() = default;

bool SwordSource::open(QString *error)
{
    d->verses.clear();
    d->manager = std::make_unique<sword::SWMgr>();
    QStringList missing;
    for (const ModuleInfo &module : Modules) {
        if (!d->manager->getModule(module.name))
            missing.append(missingModuleMessage(module));
    }
    if (!missing.isEmpty()) {
        *error = missing.join(QStringLiteral("\n"));
        d->manager.reset();
        return false;
    }
    if (!d->readKjv(error)) {
        d->manager.reset();
        return false;
    }
    return true;
}

const QVector<KjvVerse> &SwordSource::kjv() const
{
    return d->verses;
}

QVector<SwordDictEntry> SwordSource::dictionary(const QString &moduleName) const
{
    QVector<SwordDictEntry> entries;
    if (!d->manager)
        return entries;
    sword::SWModule *module = d->manager->getModule(moduleName.toUtf8().constData());
    if (!module)
        return entries;
    for (module->setPosition(sword::SW_POSITION(POS_TOP)); !module->popError(); module->increment()) {
        entries.append({QString::fromUtf8(module->getKeyText()), QString::fromUtf8(module->getRawEntry())});
    }
    return entries;
}

QVector<SwordCommentaryChapter> SwordSource::commentary(const QString &moduleName) const
{
    QVector<SwordCommentaryChapter> chapters;
    if (!d->manager)
        return chapters;
    sword::SWModule *module = d->manager->getModule(moduleName.toUtf8().constData());
    auto *key = module ? dynamic_cast<sword::VerseKey *>(module->getKey()) : nullptr;
    if (!key)
        return chapters;
    key->setIntros(true);
    // A chapter-blocked module keeps a chapter's text in one or two of its
    // verse entries (the chapter heading and verse 1): join them per chapter.
    for (module->setPosition(sword::SW_POSITION(POS_TOP)); !module->popError(); module->increment()) {
        const QString raw = QString::fromUtf8(module->getRawEntry());
        if (raw.trimmed().isEmpty() || key->getChapter() < 1)
            continue;
        const int bookIndex = (key->getTestament() == 2 ? OldTestamentBooks : 0) + key->getBook() - 1;
        if (bookIndex < 0 || bookIndex >= int(std::size(Books)))
            continue;
        const QString book = QLatin1String(Books[bookIndex].name);
        if (chapters.isEmpty() || chapters.constLast().book != book || chapters.constLast().chapter != key->getChapter())
            chapters.push_back({book, key->getChapter(), raw});
        else
            chapters.last().raw += QLatin1Char(' ') + raw;
    }
    return chapters;
}

const QStringList &SwordSource::bookNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Book &book : Books)
            list.append(QLatin1String(book.name));
        return list;
    }();
    return names;
}

QString SwordSource::bookName(const QString &osisId)
{
    for (const Book &book : Books) {
        if (osisId == QLatin1String(book.osis))
            return QLatin1String(book.name);
    }
    return {};
}
