#pragma once

#include "app/AppSetup.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

// What a test that builds the program's windows sets up first: the
// program's resources and fonts, and the settings and the folders the
// program writes in kept apart from the user's.
inline void setUpWindowTests(const QString &settingsDir)
{
    QStandardPaths::setTestModeEnabled(true);
    AppSetup::initResources();
    AppSetup::installFontSubstitutes();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir);
}
