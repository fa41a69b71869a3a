#pragma once

#include <QIcon>
#include <array>

namespace torvane::ui {

// The application icon: a chip with a download arrow.
QIcon ApplicationIcon();

// The strip of toolbar images, in toolbar order: import, export, HEX to BIN,
// merge, align, clear the list, about; `size` pixels square, 24 at UiScale 1.
// Drawn here, so no image files ship.
inline constexpr int kToolbarIconCount = 7;
std::array<QIcon, kToolbarIconCount> ToolbarIcons(int size = 24);
// The images' size at a UiScale: 24 pixels scaled and truncated.
int ToolbarIconSize(double scale);

}  // namespace torvane::ui
