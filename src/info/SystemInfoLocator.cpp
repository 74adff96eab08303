#include "info/SystemInfoLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStandardPaths>

namespace {

#ifdef Q_OS_WIN
QString rootName(quint32 root)
{
    switch (root) {
    case 0x80000000u: return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001u: return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002u: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case 0x80000003u: return QStringLiteral("HKEY_USERS");
    default: return {};
    }
}
#endif

} // namespace

SystemInfoLocator::Places SystemInfoLocator::Places::standard()
{
    Places places;
    places.systemSettingsFile = QSettings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Vellumor"),
                                          QStringLiteral("Vellumor"))
                                    .fileName();
    const QString path = QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH"));
    places.searchPath = path.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    return places;
}

SystemInfoLocator::Lookup SystemInfoLocator::programPathLookup()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH")};
#else
    return {QStringLiteral("SystemInformation"), QStringLiteral("Path")};
#endif
}

SystemInfoLocator::Lookup SystemInfoLocator::programFolderLookup()
{
    return {QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO")};
}

QStringList SystemInfoLocator::knownPrograms()
{
    return {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("mate-system-monitor")};
}

SystemInfoLocator::SystemInfoLocator(Places places)
    : m_places(std::move(places))
{
}

void SystemInfoLocator::takeValue(const QVariant &value, QString &KeyVal)
{
    switch (value.typeId()) {
    case QMetaType::QString: {
        const QString text = value.toString();
        const qsizetype nul = text.indexOf(QChar(0));
        KeyVal = nul < 0 ? text : text.left(nul);
        break;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
        // A registry number is an unsigned 32-bit word, whatever sign Qt gives it.
        KeyVal = QStringLiteral("&h") + QString::number(static_cast<quint32>(value.toLongLong()), 16).toUpper();
        break;
    default:
        break;
    }
}

bool SystemInfoLocator::GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                                    QString &KeyVal) const
{
#ifdef Q_OS_WIN
    const QString root = rootName(KeyRoot);
    if (root.isEmpty()) {
        KeyVal.clear();
        return false;
    }
    // Qt opens registry keys read-only when write access is refused, so
    // ordinary users can read the machine-wide keys.
    const QSettings key(root + QLatin1Char('\\') + KeyName, QSettings::NativeFormat);
    const QString valueKey = SubKeyRef;
#else
    if (KeyRoot != LocalMachineRoot || m_places.systemSettingsFile.isEmpty()
        || !QFileInfo(m_places.systemSettingsFile).isFile()) {
        KeyVal.clear();
        return false;
    }
    const QSettings key(m_places.systemSettingsFile, QSettings::IniFormat);
    QString valueKey = KeyName;
    valueKey.replace(QLatin1Char('\\'), QLatin1Char('/'));
    valueKey += QLatin1Char('/') + SubKeyRef;
#endif
    if (key.status() != QSettings::NoError || !key.contains(valueKey)) {
        KeyVal.clear();
        return false;
    }
    takeValue(key.value(valueKey), KeyVal);
    return true;
}

std::optional<QString> SystemInfoLocator::locate(QString *whyNot) const
{
    auto fail = [whyNot](const QString &reason) -> std::optional<QString> {
        if (whyNot)
            *whyNot = reason;
        return std::nullopt;
    };

    const Lookup first = programPathLookup();
    QString path;
    if (GetKeyValue(LocalMachineRoot, first.keyName, first.valueName, path))
        return path;

#ifdef Q_OS_WIN
    const Lookup second = programFolderLookup();
    QString folder;
    if (!GetKeyValue(LocalMachineRoot, second.keyName, second.valueName, folder))
        return fail(QStringLiteral("no system-information location is recorded"));
    const QString program = folder + QStringLiteral("\\MSINFO32.EXE");
    if (!QFileInfo::exists(program))
        return fail(QStringLiteral("%1 does not exist").arg(program));
    return program;
#else
    if (m_places.searchPath.isEmpty())
        return fail(QStringLiteral("no program search path"));
    for (const QString &name : knownPrograms()) {
        const QString program = QStandardPaths::findExecutable(name, m_places.searchPath);
        if (!program.isEmpty())
            return program;
    }
    return fail(QStringLiteral("no system-information program on the search path"));
#endif
}
