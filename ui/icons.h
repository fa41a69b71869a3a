#pragma once

#include <QIcon>
#include <array>

namespace torvane::ui {

// The application icon: a chip with a download arrow.
QIcon ApplicationIcon();

// The strip of 24 x 24 toolbar images, in toolbar order: import, export, HEX
// to BIN, merge, align, clear the list, about. Drawn here, so no image files ship.
inline constexpr int kToolbarIconCount = 7;
std::array<QIcon, kToolbarIconCount> ToolbarIcons();

}  // namespace torvane::ui
