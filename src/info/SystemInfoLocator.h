#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// Finds the operating system's system-information program: first a full
// path recorded in the machine-wide settings, then a known program in a
// known place, existence-tested. Reads settings only; never writes them.
class SystemInfoLocator {
public:
    // Registry root handle of the machine-wide settings.
    static constexpr quint32 LocalMachineRoot = 0x80000002u;

    // Where the lookups read (replaceable for tests).
    struct Places {
        // Outside Windows: the machine-wide settings file read by the first
        // lookup (Windows reads its registry instead).
        QString systemSettingsFile;
        // Outside Windows: the folders searched for a known program.
        QStringList searchPath;

        static Places standard();
    };

    // The two lookups in the order they are tried.
    struct Lookup {
        QString keyName;
        QString valueName;
    };
    static Lookup programPathLookup();
    static Lookup programFolderLookup();
    // Outside Windows: the programs looked for on the search path, best first.
    static QStringList knownPrograms();

    explicit SystemInfoLocator(Places places = Places::standard());

    // Reads value SubKeyRef of key KeyName under KeyRoot into KeyVal.
    // Text is taken as it is (up to a NUL), a 32-bit number as "&h" and
    // upper-case hex; a value of another type leaves KeyVal unchanged but
    // still counts as read. On failure KeyVal is emptied and false returned.
    bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal) const;

    // The program to start. A path from the first lookup is returned
    // untested; the second lookup's program must exist. Empty when neither
    // lookup gives one, with the reason in whyNot.
    std::optional<QString> locate(QString *whyNot = nullptr) const;

    // The value-type rule of GetKeyValue.
    static void takeValue(const QVariant &value, QString &KeyVal);

    const Places &places() const { return m_places; }

private:
    Places m_places;
};
