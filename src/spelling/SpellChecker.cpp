#include "spelling/SpellChecker.h"

#include "spelling/Speller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QStringList g_folders;

// The dictionaries spell the apostrophe straight; the Bible and many
// documents curl it.
QString straight(QString word)
{
    word.replace(QChar(0x2019), QLatin1Char('\''));
    return word;
}

} // namespace

QStringList SpellChecker::dictionaryFolders()
{
    return g_folders.isEmpty() ? Speller::systemFolders() : g_folders;
}

void SpellChecker::setDictionaryFolders(const QStringList &folders)
{
    g_folders = folders;
}

QString SpellChecker::personalWordsPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("words.txt"));
}

std::unique_ptr<SpellChecker> SpellChecker::load(const Setup &setup)
{
    std::unique_ptr<SpellChecker> checker(new SpellChecker);
    checker->m_personalPath = setup.personalWords;
    const std::optional<Speller::Dictionary> dictionary = Speller::find(setup.dictionaryFolders, setup.locale);
    if (!dictionary)
        return checker;
    auto speller = std::make_unique<Speller>(*dictionary);
    if (!speller->isValid())
        return checker;
    const QStringList bible = readWords(setup.bibleWords);
    for (const QString &word : bible)
        speller->add(straight(word));
    checker->m_bibleWords = int(bible.size());
    // The version a passage inserted from the Bible is credited to.
    speller->add(QStringLiteral("KJV"));
    checker->m_personal = readWords(setup.personalWords);
    for (const QString &word : std::as_const(checker->m_personal))
        speller->add(straight(word));
    checker->m_speller = std::move(speller);
    return checker;
}

SpellChecker::~SpellChecker() = default;

bool SpellChecker::hasDictionary() const
{
    return bool(m_speller);
}

bool SpellChecker::isCorrect(const QString &word) const
{
    if (!m_speller)
        return true;
    const QString plain = straight(word);
    if (m_speller->check(plain))
        return true;
    // A name's possessive: "Melchizedek's".
    if (plain.endsWith(QLatin1String("'s"), Qt::CaseInsensitive) && plain.size() > 2)
        return m_speller->check(plain.chopped(2));
    return false;
}

QStringList SpellChecker::suggestions(const QString &word, int max) const
{
    if (!m_speller)
        return {};
    const bool curly = word.contains(QChar(0x2019));
    QStringList out;
    for (QString s : m_speller->suggest(straight(word))) {
        if (curly)
            s.replace(QLatin1Char('\''), QChar(0x2019));
        if (s != word && !out.contains(s))
            out << s;
        if (out.size() == max)
            break;
    }
    return out;
}

void SpellChecker::ignore(const QString &word)
{
    if (m_speller)
        m_speller->add(straight(word));
}

bool SpellChecker::addToDictionary(const QString &word, QString *reason)
{
    ignore(word);
    if (m_personal.contains(word))
        return true;
    QStringList words = m_personal;
    words << word;
    words.sort(Qt::CaseInsensitive);
    const QString path = m_personalPath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write((words.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        if (file.commit()) {
            m_personal = words;
            return true;
        }
    }
    if (reason)
        *reason = QStringLiteral("\"%1\" could not be added to your word list %2: %3. It is not marked until "
                                 "Vellumor ends.")
                      .arg(word, QDir::toNativeSeparators(path), file.errorString());
    return false;
}

QStringList SpellChecker::readWords(const QString &path)
{
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList out;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString word = line.trimmed();
        if (!word.isEmpty())
            out << word;
    }
    return out;
}
