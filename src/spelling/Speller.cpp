#include "spelling/Speller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <hunspell.hxx>

namespace {

bool readable(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

std::optional<Speller::Dictionary> Speller::find(const QStringList &folders, const QLocale &locale)
{
    QStringList names;
    if (locale.language() == QLocale::English)
        names << locale.name();
    names << QStringLiteral("en_US");
    const auto at = [&](const QString &folder, const QString &name) -> std::optional<Dictionary> {
        const QDir dir(folder);
        const Dictionary d{dir.filePath(name + QStringLiteral(".aff")), dir.filePath(name + QStringLiteral(".dic")), name};
        if (readable(d.affixFile) && readable(d.wordFile))
            return d;
        return std::nullopt;
    };
    for (const QString &name : std::as_const(names)) {
        for (const QString &folder : folders) {
            if (auto d = at(folder, name))
                return d;
        }
    }
    for (const QString &folder : folders) {
        const QStringList english =
            QDir(folder).entryList({QStringLiteral("en_*.dic")}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString &file : english) {
            if (auto d = at(folder, QFileInfo(file).completeBaseName()))
                return d;
        }
    }
    return std::nullopt;
}

QStringList Speller::systemFolders()
{
#ifdef Q_OS_WIN
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/hunspell")};
#else
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/local/share/hunspell")};
#endif
}

QString Speller::packageFor(const QLocale &locale)
{
    if (locale.language() == QLocale::English && locale.territory() != QLocale::UnitedStates)
        return QStringLiteral("hunspell-%1").arg(locale.name().toLower().replace(QLatin1Char('_'), QLatin1Char('-')));
    return QStringLiteral("hunspell-en-us");
}

Speller::Speller(const Dictionary &dictionary)
{
    auto hunspell = std::make_unique<Hunspell>(QFile::encodeName(dictionary.affixFile).constData(),
                                               QFile::encodeName(dictionary.wordFile).constData());
    const QByteArray encoding = QByteArray::fromStdString(hunspell->get_dict_encoding());
    m_encoder = QStringEncoder(encoding.constData());
    m_decoder = QStringDecoder(encoding.constData());
    if (m_encoder.isValid() && m_decoder.isValid())
        m_hunspell = std::move(hunspell);
}

Speller::~Speller() = default;

std::optional<std::string> Speller::encode(const QString &word) const
{
    m_encoder.resetState();
    const QByteArray bytes = m_encoder.encode(word);
    // A letter the dictionary's encoding has no place for.
    if (m_encoder.hasError())
        return std::nullopt;
    return bytes.toStdString();
}

bool Speller::check(const QString &word) const
{
    if (!m_hunspell)
        return false;
    const std::optional<std::string> encoded = encode(word);
    return encoded && m_hunspell->spell(*encoded);
}

QStringList Speller::suggest(const QString &word) const
{
    if (!m_hunspell)
        return {};
    const std::optional<std::string> encoded = encode(word);
    if (!encoded)
        return {};
    QStringList out;
    for (const std::string &s : m_hunspell->suggest(*encoded)) {
        m_decoder.resetState();
        out << m_decoder.decode(QByteArrayView(s.data(), qsizetype(s.size())));
    }
    return out;
}

void Speller::add(const QString &word)
{
    if (!m_hunspell)
        return;
    if (const std::optional<std::string> encoded = encode(word))
        m_hunspell->add(*encoded);
}
