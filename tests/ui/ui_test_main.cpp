#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/app.h"

int main(int argc, char** argv) {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings go to a scratch folder, never to the user's own.
    QTemporaryDir settings;
    if (!settings.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    torvane::ui::GuardedApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
#ifdef Q_OS_WIN
    // The native format is the registry, which outlives the run: files instead.
    QSettings::setDefaultFormat(QSettings::IniFormat);
#endif
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QApplication::setOrganizationName(QString::fromLatin1(torvane::ui::kOrganizationName));
    QApplication::setApplicationName(QString::fromLatin1(torvane::ui::kApplicationName));
    torvane::ui::InstallFontSubstitutes();
    torvane::ui::InstallQtTranslations();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
