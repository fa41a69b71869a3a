#include "core/window_state.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(WindowStateTest, ASizeComesBackAtItsScaleAndAlikeAtAnother) {
    const MainLayout big = ComputeMainLayout(1.0, {300, 120});
    const DesignSize remembered = RememberedSize(big);
    EXPECT_EQ((DesignSize{big.clientWidth, big.clientHeight}), remembered);
    EXPECT_EQ((LayoutStretch{300, 120}), RestoredStretch(1.0, remembered, 3840, 2160));
    // At 150 % the same window is half as large again.
    const MainLayout scaled = ComputeMainLayout(1.5, RestoredStretch(1.5, remembered, 3840, 2160));
    EXPECT_NEAR(1.5 * big.clientWidth, scaled.clientWidth, 1);
    EXPECT_NEAR(1.5 * big.clientHeight, scaled.clientHeight, 1);
    EXPECT_EQ(remembered, RememberedSize(scaled));
    // The default size is remembered as such and comes back without stretch.
    EXPECT_EQ(LayoutStretch{}, RestoredStretch(1.25, RememberedSize(ComputeMainLayout(1.25)), 3840, 2160));
}

TEST(WindowStateTest, ARestoredSizeNeverLeavesTheScreenNorGoesBelowTheDefault) {
    const MainLayout m = ComputeMainLayout(1.0);
    // A window remembered from a larger screen fits this one, frame included.
    const LayoutStretch fit = RestoredStretch(1.0, {4000, 3000}, 1366, 768);
    EXPECT_EQ(1366, m.windowWidth + fit.width);
    EXPECT_EQ(768, m.windowHeight + fit.height);
    // A screen smaller than the default layout (the window then scrolls) gives none.
    EXPECT_EQ(LayoutStretch{}, RestoredStretch(1.0, {4000, 3000}, 1024, 600));
    // Smaller than the default, nothing, or no window's size: the default.
    EXPECT_EQ(LayoutStretch{}, RestoredStretch(1.0, {500, 300}, 1920, 1080));
    EXPECT_EQ(LayoutStretch{}, RestoredStretch(1.0, {}, 1920, 1080));
    EXPECT_EQ(LayoutStretch{}, RestoredStretch(1.0, {-5, 900}, 1920, 1080));
    EXPECT_EQ(LayoutStretch{}, RestoredStretch(1.0, {2000000000, 900}, 1920, 1080));
    // An area of no size sets no bound.
    EXPECT_EQ((LayoutStretch{100, 0}), RestoredStretch(1.0, {m.clientWidth + 100, m.clientHeight}, 0, 0));
}

TEST(WindowStateTest, ModesAreRememberedByTheirWord) {
    for (WorkMode mode : {WorkMode::HexToBinMode, WorkMode::MergeMode, WorkMode::AlignMode})
        EXPECT_EQ(mode, ModeOfKeyword(ModeKeyword(mode)));
    EXPECT_STREQ("merge", ModeKeyword(WorkMode::MergeMode));
    EXPECT_EQ(std::nullopt, ModeOfKeyword("Merge"));
    EXPECT_EQ(std::nullopt, ModeOfKeyword(""));
    EXPECT_EQ(std::nullopt, ModeOfKeyword("2"));
}

}  // namespace
}  // namespace torvane
