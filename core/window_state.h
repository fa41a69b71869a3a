#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/window_layout.h"
#include "core/workspace.h"

namespace torvane {

// What the main window remembers between runs: its size and the mode it was
// left in. The window stores them in the user's settings; these are the rules.

// A client-area size in design pixels (at scale 1), the form the size is
// remembered in, so that it comes back alike at another scale.
struct DesignSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const DesignSize&) const = default;
};

// The size a window with this layout is remembered by: its client area
// (menu bar included) at scale 1, rounded to whole pixels.
DesignSize RememberedSize(const MainLayout& layout);

// The stretch that brings a remembered size back at `scale`: never smaller
// than the default layout, and never so large that the window, frame
// included, leaves an available area of `availableWidth` x `availableHeight`
// (an area of no size sets no bound). A size of nothing, or one no window
// could have had, gives no stretch.
LayoutStretch RestoredStretch(double scale, DesignSize remembered, int32_t availableWidth, int32_t availableHeight);

// The word a mode is remembered by ("hex2bin", "merge", "align") and the mode
// of such a word; nothing for any other word.
const char* ModeKeyword(WorkMode mode);
std::optional<WorkMode> ModeOfKeyword(std::string_view word);

}  // namespace torvane
