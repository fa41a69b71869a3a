#include "core/window_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace torvane {
namespace {

using Named = std::pair<std::string, Rect>;

// The resolutions a desktop commonly runs at, 110 dpi being one that rounds down.
constexpr int kDpis[] = {96, 110, 120, 144, 192};

// The menu bar above the client area keeps the dialog font at every scale.
constexpr int32_t kMenuBarRoom = 30;

bool Overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Controls that lie side by side in the client area, each a rectangle of its own.
std::vector<Named> ClientControls(const MainLayout& m) {
    std::vector<Named> c = {{"hexToBinMode", m.hexToBinMode}, {"mergeMode", m.mergeMode},
                            {"alignMode", m.alignMode},       {"headerBand", m.headerBand},
                            {"outputLabel", m.outputLabel},   {"outputEdit", m.outputEdit},
                            {"outputBrowse", m.outputBrowse}, {"importButton", m.importButton},
                            {"exportButton", m.exportButton}, {"hexToBinButton", m.hexToBinButton},
                            {"mergeButton", m.mergeButton},   {"alignButton", m.alignButton},
                            {"memoryMapButton", m.memoryMapButton},
                            {"mergePlan", m.mergePlan},
                            {"logGroup", m.logGroup}};
    for (size_t i = 0; i < m.rows.size(); ++i) c.emplace_back("row" + std::to_string(i), m.rows[i]);
    return c;
}

std::vector<Named> HeaderControls(const MainLayout& m) {
    return {{"headerCheck", m.headerCheck}, {"fileTitle", m.fileTitle},     {"sizeTitle", m.sizeTitle},
            {"alignTitle", m.alignTitle},   {"fillTitle", m.fillTitle},     {"offsetTitle", m.offsetTitle},
            {"keepTitle", m.keepTitle}};
}

std::vector<Named> LogControls(const MainLayout& m) {
    return {{"logList", m.logList}, {"saveButton", m.saveButton}, {"clearButton", m.clearButton}};
}

std::vector<Named> AllControls(const MainLayout& m) {
    std::vector<Named> all = ClientControls(m);
    for (const auto& group : {HeaderControls(m), LogControls(m)}) all.insert(all.end(), group.begin(), group.end());
    all.emplace_back("panel", m.panel);
    return all;
}

// The row's controls; the alignment list and the BIN-offset edit share their
// column on purpose (one is shown at a time) and are compared with the others only.
std::vector<Named> RowControls(const RowLayout& r) {
    return {{"select", r.select},         {"fileName", r.fileName},     {"browse", r.browse},
            {"fileSize", r.fileSize},     {"polishType", r.polishType}, {"binOffset", r.binOffset},
            {"polishData", r.polishData}, {"offsetAddr", r.offsetAddr}, {"saveOffset", r.saveOffset}};
}

bool SharesItsPlace(const std::string& a, const std::string& b) {
    return (a == "polishType" && b == "binOffset") || (a == "binOffset" && b == "polishType");
}

void ExpectNoOverlap(const std::vector<Named>& controls, int dpi) {
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            if (SharesItsPlace(controls[i].first, controls[j].first)) continue;
            EXPECT_FALSE(Overlap(controls[i].second, controls[j].second))
                << controls[i].first << " and " << controls[j].first << " at " << dpi << " dpi";
        }
    }
}

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

DesktopScaleHints Hints(int dpi, const char* qt, const char* gdk, double ratio = 1.0) {
    DesktopScaleHints h;
    h.dpiX = h.dpiY = dpi;
    h.qtScaleFactor = qt;
    h.gdkScale = gdk;
    h.devicePixelRatio = ratio;
    return h;
}

TEST(DesktopScaleTest, TheLargestScaleTheDesktopStatesWins) {
    EXPECT_EQ(1.0, UiScaleForDesktop(Hints(96, "", "")));
    EXPECT_EQ(2.0, UiScaleForDesktop(Hints(96, "", "2")));
    EXPECT_EQ(1.5, UiScaleForDesktop(Hints(96, "1.5", "")));
    EXPECT_EQ(1.5, UiScaleForDesktop(Hints(144, "1.25", "1")));
    // Two ways of saying the same scale do not multiply.
    EXPECT_EQ(2.0, UiScaleForDesktop(Hints(192, "", "2")));
    // Fonts in points grow with the resolution on their own, and by the rest.
    EXPECT_EQ(1.0, PointFontFactorForDesktop(Hints(192, "", "2")));
    EXPECT_EQ(2.0, PointFontFactorForDesktop(Hints(96, "", "2")));
}

TEST(DesktopScaleTest, FactorsAreCutToQuarterStepsAsTheDpiRuleCuts) {
    EXPECT_EQ(1.25, UiScaleForDesktop(Hints(96, "1.4", "")));
    EXPECT_EQ(1.75, UiScaleForDesktop(Hints(96, "1.99", "")));
    EXPECT_EQ(1.0, UiScaleForDesktop(Hints(96, "0.5", "")));
}

// A Wayland output scale is applied by the toolkit itself: the window adds
// only what is asked beyond it.
TEST(DesktopScaleTest, TheToolkitsOwnPixelRatioIsNotAppliedTwice) {
    EXPECT_EQ(1.0, UiScaleForDesktop(Hints(96, "", "", 2.0)));
    EXPECT_EQ(1.0, UiScaleForDesktop(Hints(96, "", "2", 2.0)));
    EXPECT_EQ(1.5, UiScaleForDesktop(Hints(96, "", "3", 2.0)));
}

TEST(DesktopScaleTest, FactorsThatAreNoPlainNumberAreIgnoredAndTheScaleIsBounded) {
    for (const char* junk : {"abc", "2x", " 2", "-2", "0", "nan", "inf", "2,5", "0x2"})
        EXPECT_EQ(1.0, UiScaleForDesktop(Hints(96, junk, junk, std::nan("")))) << junk;
    EXPECT_EQ(kMaxUiScale, UiScaleForDesktop(Hints(96, "1e300", "")));
    EXPECT_EQ(kMaxUiScale, UiScaleForDesktop(Hints(100000, "", "")));
    EXPECT_EQ(1.0, UiScaleForDesktop(Hints(96, "", "", 1e300)));
}

// The anchor: a few values of the design table at 96 dpi, and the window sizes
// the desktop sees.
TEST(MainLayoutTest, DesignValuesAt96Dpi) {
    const MainLayout m = ComputeMainLayout(UiScaleFor(96, 96));
    EXPECT_EQ(1090, m.windowWidth);
    EXPECT_EQ(750, m.windowHeight);
    EXPECT_EQ((std::array<int32_t, 6>{85, 425, 535, 625, 725, 865}), m.columnEdges);
    EXPECT_EQ((Rect{100, 42, 188, 67}), m.mergeMode);
    EXPECT_EQ((Rect{145, 299, 1005, 324}), m.outputEdit);
    EXPECT_EQ((Rect{250, 339, 370, 374}), m.exportButton);
    EXPECT_EQ((Rect{915, 633, 975, 663}), m.saveButton);
    EXPECT_EQ(14, m.captionFontPx);

    const RowLayout r = ComputeRowLayout(1.0);
    EXPECT_EQ((Rect{62, 5, 348, 25}), r.fileName);
    EXPECT_EQ(925, r.saveOffset.left);
    EXPECT_EQ(60, r.saveOffset.width());

    EXPECT_EQ(1362, ComputeMainLayout(UiScaleFor(120, 120)).windowWidth);
    EXPECT_EQ(937, ComputeMainLayout(UiScaleFor(120, 120)).windowHeight);
    EXPECT_EQ(1090, ComputeMainLayout(UiScaleFor(110, 110)).windowWidth);
}

TEST(MainLayoutTest, EverythingLiesInsideTheClientArea) {
    for (const int dpi : kDpis) {
        const MainLayout m = ComputeMainLayout(UiScaleFor(dpi, dpi));
        const Rect client{0, 0, m.clientWidth, m.clientHeight - kMenuBarRoom};
        for (const auto& [name, r] : AllControls(m)) {
            EXPECT_GT(r.width(), 0) << name << " at " << dpi << " dpi";
            EXPECT_GT(r.height(), 0) << name << " at " << dpi << " dpi";
            EXPECT_TRUE(Inside(r, client)) << name << " at " << dpi << " dpi";
        }
        for (const auto& [name, r] : HeaderControls(m)) EXPECT_TRUE(Inside(r, m.headerBand)) << name << " at " << dpi;
        for (const auto& [name, r] : LogControls(m)) EXPECT_TRUE(Inside(r, m.logGroup)) << name << " at " << dpi;
        for (const Rect& row : m.rows) EXPECT_TRUE(Inside(row, m.panel)) << dpi;
        // The merge mode's line lies in the panel under the rows, as high as its font needs.
        EXPECT_TRUE(Inside(m.mergePlan, m.panel)) << dpi;
        EXPECT_GT(m.mergePlan.top, m.rows.back().bottom) << dpi;
        EXPECT_LT(m.mergePlan.bottom, m.outputLabel.top) << dpi;
        EXPECT_GE(m.mergePlan.height(), m.planFontPx + 4) << dpi;
        // The mode buttons stand on the panel's top edge, like tabs.
        for (const Rect& b : {m.hexToBinMode, m.mergeMode, m.alignMode}) EXPECT_EQ(m.panel.top, b.bottom) << dpi;
    }
}

TEST(MainLayoutTest, NoTwoControlsOverlap) {
    for (const int dpi : kDpis) {
        const MainLayout m = ComputeMainLayout(UiScaleFor(dpi, dpi));
        ExpectNoOverlap(ClientControls(m), dpi);
        ExpectNoOverlap(HeaderControls(m), dpi);
        ExpectNoOverlap(LogControls(m), dpi);
        ExpectNoOverlap(RowControls(ComputeRowLayout(m.scale)), dpi);
    }
}

TEST(MainLayoutTest, ColumnsAscendAndTheRowsContinueTheHeadersLines) {
    for (const int dpi : kDpis) {
        const MainLayout m = ComputeMainLayout(UiScaleFor(dpi, dpi));
        const RowLayout r = ComputeRowLayout(m.scale);
        int32_t previous = m.L;
        for (size_t i = 0; i < m.columnEdges.size(); ++i) {
            EXPECT_LT(previous, m.columnEdges[i]) << dpi;
            previous = m.columnEdges[i];
            // The same edge computed from the row's left and from the window's
            // left; single precision may put them a pixel apart.
            EXPECT_NEAR(m.columnEdges[i] - m.L, r.lines[i], 1) << i << " at " << dpi << " dpi";
        }
        EXPECT_LT(previous, m.R);
        // The rows hang one under the other from the header band, each as high
        // as its own layout.
        int32_t top = m.headerBand.bottom;
        for (const Rect& row : m.rows) {
            EXPECT_EQ(top, row.top) << dpi;
            EXPECT_EQ(r.height, row.height()) << dpi;
            EXPECT_EQ(r.width, row.width()) << dpi;
            top = row.bottom;
        }
    }
}

// A larger window: the file-name column and the log take the extra room,
// everything else keeps its size and its distance from the edge it follows.
TEST(MainLayoutTest, AStretchGoesToTheFileNameColumnAndTheLog) {
    const LayoutStretch stretch{300, 200};
    for (const int dpi : kDpis) {
        const double scale = UiScaleFor(dpi, dpi);
        const MainLayout m = ComputeMainLayout(scale);
        const MainLayout big = ComputeMainLayout(scale, stretch);
        EXPECT_EQ(m.clientWidth + 300, big.clientWidth) << dpi;
        EXPECT_EQ(m.clientHeight + 200, big.clientHeight) << dpi;
        EXPECT_EQ(m.fileTitle.width() + 300, big.fileTitle.width()) << dpi;
        for (const auto& [a, b] : {std::pair{m.sizeTitle, big.sizeTitle}, {m.keepTitle, big.keepTitle},
                                   {m.outputBrowse, big.outputBrowse}}) {
            EXPECT_EQ(a.left + 300, b.left) << dpi;
            EXPECT_EQ(a.width(), b.width()) << dpi;
        }
        EXPECT_EQ(m.logList.height() + 200, big.logList.height()) << dpi;
        EXPECT_EQ(m.logList.width() + 300, big.logList.width()) << dpi;
        EXPECT_EQ(m.clearButton.top + 200, big.clearButton.top) << dpi;
        EXPECT_EQ(m.clearButton.left + 300, big.clearButton.left) << dpi;
        // Nothing above the log moves down; the mode buttons stay where they were.
        for (size_t i = 0; i < m.rows.size(); ++i) {
            EXPECT_EQ(m.rows[i].top, big.rows[i].top) << dpi;
            EXPECT_EQ(m.rows[i].bottom, big.rows[i].bottom) << dpi;
        }
        EXPECT_EQ(m.mergeMode, big.mergeMode) << dpi;
        EXPECT_EQ(m.outputEdit.top, big.outputEdit.top) << dpi;
        // The rows follow: their file-name box takes the same width.
        const RowLayout r = ComputeRowLayout(scale);
        const RowLayout wide = ComputeRowLayout(scale, 300);
        EXPECT_EQ(r.fileName.width() + 300, wide.fileName.width()) << dpi;
        EXPECT_EQ(r.browse.left + 300, wide.browse.left) << dpi;
        EXPECT_EQ(r.saveOffset.left + 300, wide.saveOffset.left) << dpi;
        for (const Rect& row : big.rows) EXPECT_EQ(wide.width, row.width()) << dpi;
        // Still inside, still apart.
        const Rect client{0, 0, big.clientWidth, big.clientHeight - kMenuBarRoom};
        for (const auto& [name, rect] : AllControls(big)) EXPECT_TRUE(Inside(rect, client)) << name << " at " << dpi;
        ExpectNoOverlap(ClientControls(big), dpi);
        ExpectNoOverlap(HeaderControls(big), dpi);
        ExpectNoOverlap(LogControls(big), dpi);
        ExpectNoOverlap(RowControls(wide), dpi);
        EXPECT_EQ(stretch, StretchOfClient(scale, big.clientWidth, big.clientHeight)) << dpi;
    }
    // No stretch is the default layout, pixel for pixel; a smaller window has none.
    EXPECT_EQ(ComputeMainLayout(1.5).rows, ComputeMainLayout(1.5, LayoutStretch{}).rows);
    EXPECT_EQ(LayoutStretch{}, StretchOfClient(1.0, 100, 100));
}

// Every edge is its design value times UiScale, truncated: never more, and less
// only by the truncations of the values it is built from (the fifth action
// button is the furthest: five widths and four gaps).
TEST(MainLayoutTest, EdgesScaleWithUiScaleAndAreTruncated) {
    const MainLayout design = ComputeMainLayout(1.0);
    const std::vector<Named> at1 = AllControls(design);
    for (const int dpi : kDpis) {
        const MainLayout m = ComputeMainLayout(UiScaleFor(dpi, dpi));
        const std::vector<Named> scaled = AllControls(m);
        for (size_t i = 0; i < at1.size(); ++i) {
            const Rect& d = at1[i].second;
            const Rect& s = scaled[i].second;
            const double k = m.scale;
            for (const auto& [designEdge, edge] : {std::pair{d.left, s.left}, std::pair{d.top, s.top},
                                                   std::pair{d.right, s.right}, std::pair{d.bottom, s.bottom}}) {
                const double exact = designEdge * k;
                EXPECT_LE(edge, exact + 0.001) << at1[i].first << " at " << dpi << " dpi";
                EXPECT_GT(edge, exact - 6) << at1[i].first << " at " << dpi << " dpi";
            }
        }
        // Sizes built on an edge already converted are truncated once.
        for (const Rect& b : {m.hexToBinMode, m.mergeMode, m.alignMode})
            EXPECT_NEAR(std::trunc(88 * m.scale), b.width(), 1) << dpi;
        for (const Rect& b : {m.importButton, m.exportButton, m.hexToBinButton, m.mergeButton, m.alignButton})
            EXPECT_NEAR(std::trunc(120 * m.scale), b.width(), 1) << dpi;
        EXPECT_EQ(static_cast<int32_t>(1090 * m.scale), m.windowWidth) << dpi;
        EXPECT_EQ(static_cast<int32_t>(750 * m.scale), m.windowHeight) << dpi;
        EXPECT_EQ(static_cast<int32_t>(14 * m.scale), m.captionFontPx) << dpi;

        const std::vector<Named> rowAt1 = RowControls(ComputeRowLayout(1.0));
        const std::vector<Named> row = RowControls(ComputeRowLayout(m.scale));
        const Rect rowArea{0, 0, ComputeRowLayout(m.scale).width, ComputeRowLayout(m.scale).height};
        for (size_t i = 0; i < rowAt1.size(); ++i) {
            // The insets of a few pixels from the column edges are not scaled.
            EXPECT_NEAR(rowAt1[i].second.left * m.scale, row[i].second.left, 4) << row[i].first << " at " << dpi;
            EXPECT_TRUE(Inside(row[i].second, rowArea)) << row[i].first << " at " << dpi;
        }
        EXPECT_EQ(static_cast<int32_t>(12 * m.scale), ComputeRowLayout(m.scale).fontPx) << dpi;
    }
}


// ---- the window on the screen it opens on ----

TEST(WindowFitTest, TheLargestQuarterStepThatFitsTheAvailableArea) {
    // A 1920 x 1080 laptop at 150 % with a 40 pixel task bar: 1.5 makes a
    // window 1125 pixels high, 1.25 one of 937.
    EXPECT_EQ((WindowFit{1.25, false}), FitWindowToScreen(1.5, 1920, 1040));
    // Room enough: the desktop's scale as it is, and never more.
    EXPECT_EQ((WindowFit{1.5, false}), FitWindowToScreen(1.5, 2560, 1400));
    EXPECT_EQ((WindowFit{1.0, false}), FitWindowToScreen(1.0, 3840, 2100));
    // 2.0 on a 2560 x 1440 screen: 2180 x 1500 is too high, 1.75 fits.
    EXPECT_EQ((WindowFit{1.75, false}), FitWindowToScreen(2.0, 2560, 1400));
    // The width decides as well: 1366 x 768 takes 1.0 only if 750 fits.
    EXPECT_EQ((WindowFit{1.0, false}), FitWindowToScreen(1.25, 1366, 760));
}

TEST(WindowFitTest, EveryChoiceFitsAndTheNextStepUpWouldNot) {
    for (const double wanted : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0}) {
        for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{
                 {1090, 750}, {1440, 860}, {1920, 1040}, {2560, 1400}, {3840, 2100}, {1600, 860}}) {
            const WindowFit fit = FitWindowToScreen(wanted, w, h);
            ASSERT_FALSE(fit.scrolls) << w << "x" << h;
            EXPECT_GE(fit.scale, 1.0);
            EXPECT_LE(fit.scale, wanted);
            const MainLayout m = ComputeMainLayout(fit.scale);
            EXPECT_LE(m.windowWidth, w);
            EXPECT_LE(m.windowHeight, h);
            if (fit.scale < wanted) {
                const MainLayout up = ComputeMainLayout(fit.scale + 0.25);
                EXPECT_TRUE(up.windowWidth > w || up.windowHeight > h) << wanted << " on " << w << "x" << h;
            }
        }
    }
}

TEST(WindowFitTest, AScreenTooSmallForScaleOneScrollsAndOneOfNoSizeChangesNothing) {
    EXPECT_EQ((WindowFit{1.0, true}), FitWindowToScreen(1.5, 1024, 600));
    // A 1366 x 768 laptop with its task bar is a few pixels short.
    EXPECT_EQ((WindowFit{1.0, true}), FitWindowToScreen(1.0, 1366, 728));
    EXPECT_EQ((WindowFit{1.0, true}), FitWindowToScreen(1.0, 1089, 2000));
    EXPECT_EQ((WindowFit{1.5, false}), FitWindowToScreen(1.5, 0, 0));
    EXPECT_EQ((WindowFit{1.0, false}), FitWindowToScreen(std::nan(""), 1920, 1040));
}

}  // namespace
}  // namespace torvane
