#include "KjvWordList.h"

#include "KjvConcordance.h"
#include "reference/ReferenceSchema.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace {

QString fromView(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// One spelling of the apostrophe, the one the dictionaries use.
QString plain(QString word)
{
    word.replace(QChar(0x2019), QLatin1Char('\''));
    return word;
}

bool isUpper(const QString &word)
{
    return word.size() > 1 && word == word.toUpper() && word != word.toLower();
}

// The other ways the program's users write a word: a hyphenated name as one
// word ("Mahershalalhashbaz"), "æ" as "ae" ("Caesarea").
QStringList variants(const QString &word)
{
    QStringList out{word};
    if (word.contains(QLatin1Char('-')))
        out << QString(word).remove(QLatin1Char('-'));
    for (qsizetype i = 0, n = out.size(); i < n; ++i) {
        if (out.at(i).contains(QChar(0xE6)) || out.at(i).contains(QChar(0xC6))) {
            QString ae = out.at(i);
            ae.replace(QChar(0xE6), QStringLiteral("ae")).replace(QChar(0xC6), QStringLiteral("Ae"));
            out << ae;
        }
    }
    return out;
}

QStringList column(const QString &path, const ReferenceSchema::Table &table, QString *error)
{
    sqlite3 *handle = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> db(handle, sqlite3_close);
    QStringList texts;
    const QByteArray sql = "SELECT " + QByteArray(table.entryField.data(), qsizetype(table.entryField.size()))
        + " FROM " + QByteArray(table.table.data(), qsizetype(table.table.size()));
    sqlite3_stmt *statement = nullptr;
    if (opened != SQLITE_OK || sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(handle)));
        return {};
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        texts << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)),
                                   sqlite3_column_bytes(statement, 0));
    }
    sqlite3_finalize(statement);
    if (texts.isEmpty())
        *error = QStringLiteral("%1 holds no entries").arg(path);
    return texts;
}

} // namespace

QStringList KjvWordList::words(const QStringList &bibleTexts, const QStringList &dictionaryTexts)
{
    QSet<QString> forms;
    for (const QString &text : bibleTexts) {
        for (const QString &token : KjvConcordance::tokens(text))
            forms.insert(plain(token));
    }
    QSet<QString> lowerCase;
    for (const QString &form : std::as_const(forms))
        lowerCase.insert(form.toLower());

    // Headwords: the lines of an entry that are not indented, after its title.
    for (const QString &text : dictionaryTexts) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QString &line = lines.at(i);
            if (line.isEmpty() || line.at(0).isSpace())
                continue;
            for (const QString &token : KjvConcordance::tokens(line)) {
                const QString word = plain(token);
                if (lowerCase.contains(word.toLower()))
                    continue; // the text has it in its own spelling
                // Headwords are written in capitals; the word itself need not be.
                const QString listed = isUpper(word) ? word.toLower() : word;
                forms.insert(listed);
                lowerCase.insert(listed.toLower());
            }
        }
    }

    QSet<QString> listed;
    for (const QString &form : std::as_const(forms)) {
        // "And" at a sentence's start is the word "and".
        if (form != form.toLower() && forms.contains(form.toLower()))
            continue;
        for (const QString &variant : variants(form))
            listed.insert(variant);
    }
    QStringList out(listed.cbegin(), listed.cend());
    std::sort(out.begin(), out.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return out;
}

qsizetype KjvWordList::write(const QString &dataDir, QString *error)
{
    const QDir dir(dataDir);
    const QStringList bible = column(dir.filePath(fromView(ReferenceSchema::Bible.file)), ReferenceSchema::Bible, error);
    if (bible.isEmpty())
        return -1;
    const QStringList dictionary =
        column(dir.filePath(fromView(ReferenceSchema::Joke.file)), ReferenceSchema::Joke, error);
    if (dictionary.isEmpty())
        return -1;
    const QStringList list = words(bible, dictionary);

    const QString path = dir.filePath(fromView(ReferenceSchema::KjvWordsFile));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return -1;
    }
    file.write((list.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return -1;
    }
    return list.size();
}
