#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QApplication>

#include "support/scripted_prompts.h"
#include "ui/desktop_scale.h"
#include "ui/icons.h"
#include "ui/main_ids.h"
#include "ui/shots.h"

namespace torvane::ui {
namespace {

using test::ScriptedPrompts;

TEST(WindowFitWidgetTest, At150PercentOnALaptopScreenTheWindowTakesTheStepThatFits) {
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts, 1.5, QSize(1920, 1040));
    window.show();
    EXPECT_EQ(1.25, window.fit().scale);
    EXPECT_EQ(nullptr, window.findChild<QScrollArea*>(QStringLiteral("scroller")));
    EXPECT_LE(window.height() + kFrameHeight, 1040);
    EXPECT_LE(window.width() + kFrameWidth, 1920);
    EXPECT_TRUE(prompts.Done());
}

TEST(WindowFitWidgetTest, TheToolbarsImagesFollowTheScale) {
    for (const double scale : {1.0, 1.5, 2.0}) {
        ScriptedPrompts prompts;
        CQuenlorDlg window(prompts, scale);
        window.show();
        const int px = static_cast<int>(24 * scale);
        EXPECT_EQ(QSize(px, px), window.toolBar()->iconSize()) << scale;
        const QIcon icon = window.toolAction(main_ids::kImportConfig)->icon();
        EXPECT_EQ(QSize(px, px), icon.availableSizes().value(0)) << scale;
        // The toolbar keeps to its place above the mode buttons.
        const QWidget* mode = window.findChild<QWidget*>(QString::number(main_ids::kModeHexToBin));
        EXPECT_LE(window.toolBar()->geometry().bottom(), mode->geometry().top()) << scale;
        Shoot(&window, QStringLiteral("main-scale-%1").arg(scale, 0, 'f', 1));
    }
}

TEST(WindowFitWidgetTest, AScreenTooSmallForScaleOneScrollsToEveryControl) {
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts, 1.0, QSize(1024, 600));
    window.show();
    EXPECT_TRUE(window.fit().scrolls);
    auto* scroller = window.findChild<QScrollArea*>(QStringLiteral("scroller"));
    ASSERT_NE(nullptr, scroller);
    EXPECT_LE(window.width() + kFrameWidth, 1024);
    EXPECT_LE(window.height() + kFrameHeight, 600);
    QWidget* clear = window.findChild<QWidget*>(QString::number(main_ids::kClearLog));
    scroller->ensureWidgetVisible(clear);
    const QRect seen = QRect(clear->mapTo(scroller->viewport(), QPoint(0, 0)), clear->size());
    EXPECT_TRUE(scroller->viewport()->rect().contains(seen));
    QCoreApplication::processEvents();
    EXPECT_TRUE(scroller->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(scroller->verticalScrollBar()->isVisible());
    Shoot(&window, QStringLiteral("main-scrolls-1024x600"));
    EXPECT_TRUE(prompts.Done());
}

TEST(WindowFitWidgetTest, PointFontsFollowTheScaleTheWindowTakes) {
    const double appPoints = QApplication::font().pointSizeF();
    qputenv("GDK_SCALE", "2");
    EXPECT_EQ(1.75, FittedDesktopUiScale(QSize(2560, 1400)));
    ScalePointFontsForDesktop(QSize(1920, 1040));
    EXPECT_EQ(1.25 * appPoints, QApplication::font().pointSizeF());
    qunsetenv("GDK_SCALE");
    ScalePointFontsForDesktop();
    EXPECT_EQ(appPoints, QApplication::font().pointSizeF());
}

}  // namespace
}  // namespace torvane::ui
