#pragma once

#include <QIcon>
#include <vector>

namespace torvane::ui {

// The application icon: a chip with a download arrow.
QIcon ApplicationIcon();

// The seven 24 x 24 toolbar images, in toolbar order: import, export, HEX to
// BIN, merge, align, clear the list, about. Drawn here, so no image files ship.
std::vector<QIcon> ToolbarIcons();

}  // namespace torvane::ui
