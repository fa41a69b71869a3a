#include "core/window_layout.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(UiScaleTest, StepsOfAQuarterPer24Dpi) {
    EXPECT_EQ(1.0, UiScaleFor(96, 96));
    EXPECT_EQ(1.0, UiScaleFor(110, 110));
    EXPECT_EQ(1.0, UiScaleFor(119, 119));
    EXPECT_EQ(1.25, UiScaleFor(120, 120));
    EXPECT_EQ(1.5, UiScaleFor(144, 144));
    EXPECT_EQ(2.0, UiScaleFor(192, 192));
    EXPECT_EQ(1.0, UiScaleFor(72, 72));
    EXPECT_EQ(1.25, UiScaleFor(120, 121));  // the average is truncated
}

TEST(MainLayoutTest, DesignValuesAt96Dpi) {
    const MainLayout m = ComputeMainLayout(UiScaleFor(96, 96));
    EXPECT_EQ(1090, m.windowWidth);
    EXPECT_EQ(750, m.windowHeight);
    EXPECT_EQ(25, m.L);
    EXPECT_EQ(1045, m.R);
    EXPECT_EQ((Rect{12, 67, 1060, 395}), m.panel);
    EXPECT_EQ((Rect{12, 42, 100, 67}), m.modeButtons[0]);
    EXPECT_EQ((Rect{100, 42, 188, 67}), m.modeButtons[1]);
    EXPECT_EQ((Rect{188, 42, 276, 67}), m.modeButtons[2]);
    EXPECT_EQ((Rect{25, 95, 1045, 121}), m.headerBand);
    EXPECT_EQ((std::array<int32_t, 6>{85, 425, 535, 625, 725, 865}), m.columnEdges);
    EXPECT_EQ((Rect{28, 96, 85, 120}), m.headerCheck);
    EXPECT_EQ((Rect{85, 96, 425, 120}), m.titles[0]);
    EXPECT_EQ((Rect{865, 96, 1045, 120}), m.titles[5]);
    EXPECT_EQ((Rect{25, 121, 1045, 147}), m.rows[0]);
    EXPECT_EQ((Rect{25, 251, 1045, 277}), m.rows[5]);
    EXPECT_EQ((Rect{25, 299, 145, 324}), m.outputLabel);
    EXPECT_EQ((Rect{145, 299, 1005, 324}), m.outputEdit);
    EXPECT_EQ((Rect{1015, 299, 1045, 324}), m.outputBrowse);
    EXPECT_EQ((Rect{25, 339, 145, 374}), m.actionButtons[0]);
    EXPECT_EQ((Rect{250, 339, 370, 374}), m.actionButtons[1]);
    EXPECT_EQ((Rect{925, 339, 1045, 374}), m.actionButtons[4]);
    EXPECT_EQ((Rect{12, 403, 1060, 673}), m.logGroup);
    EXPECT_EQ((Rect{25, 433, 1045, 623}), m.logList);
    EXPECT_EQ((Rect{985, 633, 1045, 663}), m.clearButton);
    EXPECT_EQ((Rect{915, 633, 975, 663}), m.saveButton);
    EXPECT_EQ(14, m.captionFontPx);
}

TEST(MainLayoutTest, ScaledLayouts) {
    const MainLayout at120 = ComputeMainLayout(UiScaleFor(120, 120));
    EXPECT_EQ(1362, at120.windowWidth);
    EXPECT_EQ(937, at120.windowHeight);
    EXPECT_EQ(31, at120.L);
    EXPECT_EQ(1306, at120.R);  // trunc(31 + 1275)

    const MainLayout at144 = ComputeMainLayout(UiScaleFor(144, 144));
    EXPECT_EQ(1635, at144.windowWidth);
    EXPECT_EQ(1125, at144.windowHeight);
    EXPECT_EQ(37, at144.L);
    EXPECT_EQ(1567, at144.R);
    EXPECT_EQ(100, at144.panel.top);
    EXPECT_EQ((Rect{18, 62, 150, 100}), at144.modeButtons[0]);  // trunc(100 - 37.5)
    // The five action buttons spread from L to R; the truncated gap may leave
    // a few pixels at the right.
    EXPECT_EQ(at144.L, at144.actionButtons[0].left);
    EXPECT_EQ(1565, at144.actionButtons[4].right);
    EXPECT_EQ(21, at144.captionFontPx);

    const MainLayout at192 = ComputeMainLayout(2.0);
    EXPECT_EQ(2180, at192.windowWidth);
    EXPECT_EQ((Rect{50, 190, 2090, 242}), at192.headerBand);
    EXPECT_EQ(242 + 52, at192.rows[0].bottom);
}

TEST(RowLayoutTest, ColumnsAndInsets) {
    const RowLayout r = ComputeRowLayout(1.0);
    EXPECT_EQ(1020, r.width);
    EXPECT_EQ((Rect{62, 5, 348, 25}), r.fileName);
    EXPECT_EQ(925, r.saveOffset.left);
    EXPECT_EQ(60, r.saveOffset.width());
    EXPECT_EQ((Rect{3, 3, 58, 25}), r.select);
    EXPECT_EQ((Rect{362, 3, 388, 24}), r.browse);
    EXPECT_EQ(r.polishType.left, r.binOffset.left);

    const RowLayout big = ComputeRowLayout(1.5);
    EXPECT_EQ(1530, big.width);
    EXPECT_EQ((std::array<int32_t, 6>{90, 600, 765, 900, 1050, 1260}), big.lines);
    EXPECT_EQ(90 + 2, big.fileName.left);
    EXPECT_EQ(1260 + 127, big.saveOffset.left);
    EXPECT_EQ(18, big.fontPx);
}

}  // namespace
}  // namespace torvane
