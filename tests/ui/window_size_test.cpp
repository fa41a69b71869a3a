#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include "core/window_state.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/list_item.h"
#include "ui/main_ids.h"
#include "ui/row_ids.h"
#include "ui/shots.h"

namespace torvane::ui {
namespace {

using test::ScriptedPrompts;

QRect Geometry(QWidget* parent, int id) { return parent->findChild<QWidget*>(QString::number(id))->geometry(); }

TEST(WindowSizeTest, ALargerWindowGivesTheRoomToTheFileNamesAndTheLog) {
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts, 1.0);
    window.show();
    const MainLayout m = ComputeMainLayout(1.0);
    // It opens at the layout's size, which is also the smallest it takes.
    EXPECT_EQ(QSize(m.clientWidth, m.clientHeight), window.size());
    EXPECT_EQ(QSize(m.clientWidth, m.clientHeight), window.minimumSize());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    const QRect name = Geometry(window.row(0), row_ids::kFileName);
    const QRect size = Geometry(window.row(0), row_ids::kFileSize);
    const QRect log = Geometry(&window, main_ids::kLogList);
    const QRect clear = Geometry(&window, main_ids::kClearLog);
    const QRect mode = Geometry(&window, main_ids::kModeMerge);

    window.resize(m.clientWidth + 300, m.clientHeight + 200);
    QApplication::processEvents();
    ASSERT_EQ(QSize(m.clientWidth + 300, m.clientHeight + 200), window.size());
    EXPECT_EQ(name.width() + 300, Geometry(window.row(0), row_ids::kFileName).width());
    EXPECT_EQ(size.translated(300, 0), Geometry(window.row(0), row_ids::kFileSize));
    EXPECT_EQ(log.adjusted(0, 0, 300, 200), Geometry(&window, main_ids::kLogList));
    EXPECT_EQ(clear.translated(300, 200), Geometry(&window, main_ids::kClearLog));
    EXPECT_EQ(mode, Geometry(&window, main_ids::kModeMerge));
    EXPECT_EQ(ComputeMainLayout(1.0, {300, 200}).rows[5].right, window.row(5)->geometry().right() + 1);
    Shoot(&window, QStringLiteral("main-stretched"));

    // Smaller than the layout it does not go; back at its size it is the layout again.
    window.resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(QSize(m.clientWidth, m.clientHeight), window.size());
    EXPECT_EQ(name, Geometry(window.row(0), row_ids::kFileName));
    EXPECT_EQ(log, Geometry(&window, main_ids::kLogList));
    EXPECT_TRUE(prompts.Done());
}

TEST(WindowSizeTest, TheSizeAndTheModeComeBackInTheNextRun) {
    test::TempDir dir;
    const QString file = QString::fromStdString(dir.File("torvane.conf"));
    ScriptedPrompts prompts;
    {
        QSettings settings(file, QSettings::IniFormat);
        CQuenlorDlg window(prompts, 1.0);
        window.RestoreState(settings);  // nothing remembered yet: as it always opened
        window.show();
        EXPECT_EQ(WorkMode::HexToBinMode, window.workspace().Mode());
        window.OnCommand(main_ids::kModeAlign);
        const MainLayout m = ComputeMainLayout(1.0);
        window.resize(m.clientWidth + 120, m.clientHeight + 80);
        QApplication::processEvents();
        window.SaveState(settings);
    }
    QSettings settings(file, QSettings::IniFormat);
    EXPECT_EQ(QStringLiteral("align"), settings.value(QStringLiteral("window/mode")).toString());
    // At 150 % the window comes back as large in its own pixels.
    CQuenlorDlg window(prompts, 1.5, QSize(3840, 2100));
    window.RestoreState(settings);
    window.show();
    EXPECT_EQ(WorkMode::AlignMode, window.workspace().Mode());
    const MainLayout big = ComputeMainLayout(1.0, {120, 80});
    EXPECT_NEAR(big.clientWidth * 1.5, window.width(), 1);
    EXPECT_NEAR(big.clientHeight * 1.5, window.height(), 1);
    EXPECT_EQ(window.layout().logList.width(), Geometry(&window, main_ids::kLogList).width());
    EXPECT_FALSE(window.WasMaximized());
    EXPECT_TRUE(prompts.Done());
}

TEST(WindowSizeTest, ARememberedSizeNeverTakesTheWindowOffItsScreen) {
    test::TempDir dir;
    QSettings settings(QString::fromStdString(dir.File("torvane.conf")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("window/size"), QSize(5000, 4000));
    settings.setValue(QStringLiteral("window/mode"), QStringLiteral("nonsense"));
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts, 1.0, QSize(1366, 768));
    window.RestoreState(settings);
    window.show();
    EXPECT_EQ(QSize(1366 - kFrameWidth, 768 - kFrameHeight), window.size());
    EXPECT_EQ(WorkMode::HexToBinMode, window.workspace().Mode());
    // One cut to a screen too small for it keeps its size and scrolls.
    CQuenlorDlg small(prompts, 1.0, QSize(1024, 600));
    small.RestoreState(settings);
    small.show();
    EXPECT_TRUE(small.fit().scrolls);
    EXPECT_EQ(QSize(1024 - kFrameWidth, 600 - kFrameHeight), small.size());
    EXPECT_TRUE(prompts.Done());
}

}  // namespace
}  // namespace torvane::ui
