#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>

#include "support/temp_dir.h"
#include "ui/app.h"
#include "ui/desktop_scale.h"

int main(int argc, char** argv) {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings go to a scratch folder, never to the user's own.
    // (Our own scratch folder: Qt's temporary names crash in the static
    // MinGW build under Wine, inside its random generator.)
    const torvane::test::TempDir scratch;
    const QString settingsPath = QString::fromStdString(scratch.path());
    qputenv("XDG_CONFIG_HOME", settingsPath.toLocal8Bit());
    // A probe of the desktop's scale starts as the program does: it takes
    // QT_SCALE_FACTOR over before the toolkit starts.
    const bool probe = !qEnvironmentVariableIsEmpty("TORVANE_SCALE_PROBE");
    if (probe) torvane::ui::TakeOverQtScaleFactor();
    torvane::ui::GuardedApplication app(argc, argv);
    // On Windows the native format is the registry (of the Wine prefix
    // under Wine), which no path moves.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsPath);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsPath);
    QApplication::setOrganizationName(QString::fromLatin1(torvane::ui::kOrganizationName));
    QApplication::setApplicationName(QString::fromLatin1(torvane::ui::kApplicationName));
    torvane::ui::InstallFontSubstitutes();
    torvane::ui::InstallQtTranslations();
    // On a screen large enough for every scale.
    if (probe) torvane::ui::ScalePointFontsForDesktop(QSize(4000, 3000));
    torvane::ui::InstallDesktopScaledStyle();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
