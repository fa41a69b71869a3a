#include "core/window_state.h"

#include <algorithm>
#include <cmath>

namespace torvane {
namespace {

// Far beyond any screen: a remembered number past it is not a window's.
constexpr int32_t kLargestDesignSide = 100000;

}  // namespace

DesignSize RememberedSize(const MainLayout& layout) {
    const double scale = layout.scale > 0 ? layout.scale : 1.0;
    return {static_cast<int32_t>(std::lround(layout.clientWidth / scale)),
            static_cast<int32_t>(std::lround(layout.clientHeight / scale))};
}

LayoutStretch RestoredStretch(double scale, DesignSize remembered, int32_t availableWidth, int32_t availableHeight) {
    if (remembered.width <= 0 || remembered.height <= 0 || remembered.width > kLargestDesignSide ||
        remembered.height > kLargestDesignSide || !std::isfinite(scale) || scale <= 0)
        return {};
    const MainLayout base = ComputeMainLayout(scale);
    LayoutStretch stretch{
        std::max(0, static_cast<int32_t>(std::lround(remembered.width * scale)) - base.clientWidth),
        std::max(0, static_cast<int32_t>(std::lround(remembered.height * scale)) - base.clientHeight)};
    if (availableWidth > 0 && availableHeight > 0) {
        stretch.width = std::clamp(availableWidth - base.windowWidth, 0, stretch.width);
        stretch.height = std::clamp(availableHeight - base.windowHeight, 0, stretch.height);
    }
    return stretch;
}

const char* ModeKeyword(WorkMode mode) {
    switch (mode) {
        case WorkMode::HexToBinMode: return "hex2bin";
        case WorkMode::MergeMode: return "merge";
        case WorkMode::AlignMode: return "align";
    }
    return "hex2bin";
}

std::optional<WorkMode> ModeOfKeyword(std::string_view word) {
    for (WorkMode mode : {WorkMode::HexToBinMode, WorkMode::MergeMode, WorkMode::AlignMode}) {
        if (word == ModeKeyword(mode)) return mode;
    }
    return std::nullopt;
}

}  // namespace torvane
