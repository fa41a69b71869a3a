#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace torvane {

// Geometry of the main window and its rows. Design values are pixels at 96 dpi;
// every value is scaled by UiScale and truncated to whole pixels.

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// The scale from the screen's logical resolution: 1.0 at 96 dpi, a quarter more
// for every full 24 dpi above it, never below 1.
double UiScaleFor(int dpiX, int dpiY);

// The largest UiScale the window takes: 4, a window of 4360 x 3000 pixels.
// Beyond it a mistyped factor would ask for a window no screen shows.
inline constexpr double kMaxUiScale = 4.0;

// What a desktop states about its scale, each in its own way.
struct DesktopScaleHints {
    int dpiX = 96;  // the screen's logical resolution (Xft.dpi on X11)
    int dpiY = 96;
    // The factor the toolkit applies itself and that cannot be switched off
    // (a Wayland output scale); 1 on X11.
    double devicePixelRatio = 1.0;
    std::string qtScaleFactor;  // QT_SCALE_FACTOR, as set; empty when unset
    std::string gdkScale;       // GDK_SCALE, as set; empty when unset
};

// UiScale for the desktop: the largest of the scales it states (logical dpi
// against 96, QT_SCALE_FACTOR, GDK_SCALE, the device pixel ratio), less the
// part the toolkit already applies, cut to a step of 0.25 as the dpi rule
// cuts, between 1 and kMaxUiScale. A factor that is not a plain positive
// number is ignored.
double UiScaleForDesktop(const DesktopScaleHints& hints);

// How much larger than the logical resolution makes them fonts given in
// points must be to grow with the window: UiScaleForDesktop against the scale
// of the logical resolution alone. 1 where the resolution states the scale.
double PointFontFactorForDesktop(const DesktopScaleHints& hints);

// The window's outer size less the client area: the desktop's frame, which
// does not scale with the window.
inline constexpr int32_t kFrameWidth = 16;   // left and right borders
inline constexpr int32_t kFrameHeight = 39;  // title bar and the borders

// The main window's layout table, in client coordinates.
struct MainLayout {
    double scale = 1.0;
    int32_t windowWidth = 0;   // outer size, frame included
    int32_t windowHeight = 0;
    int32_t clientWidth = 0;   // inside the frame; the menu bar takes its top
    int32_t clientHeight = 0;
    int32_t L = 0;             // left and right edges of everything in the panel
    int32_t R = 0;
    Rect panel;                // the white area
    // The mode buttons, left to right, standing on the panel's top edge.
    Rect hexToBinMode;
    Rect mergeMode;
    Rect alignMode;
    Rect headerBand;
    std::array<int32_t, 6> columnEdges;  // 85, 425, 535, 625, 725, 865 at scale 1
    Rect headerCheck;                    // "序号"
    // The column titles, left to right between the column edges.
    Rect fileTitle;
    Rect sizeTitle;
    Rect alignTitle;   // alignment, or the BIN offset in the merge mode
    Rect fillTitle;
    Rect offsetTitle;  // the HEX offset
    Rect keepTitle;
    std::array<Rect, 6> rows;            // the six file list rows
    // Our own, in the panel between the rows and the output file: the merge
    // mode's line of what the merge will make.
    Rect mergePlan;
    Rect outputLabel;   // "输出文件："
    Rect outputEdit;
    Rect outputBrowse;  // its "..."
    // The five action buttons, spread evenly from L to R.
    Rect importButton;
    Rect exportButton;
    Rect hexToBinButton;
    Rect mergeButton;
    Rect alignButton;
    // Our own, in the gap between the merge and align buttons: the memory map.
    Rect memoryMapButton;
    Rect logGroup;      // "操作记录"
    Rect logList;
    Rect saveButton;    // "保存"
    Rect clearButton;   // "清空"
    // Font heights in pixels: group title, column titles, the path, and the
    // caption of the action buttons.
    int32_t groupFontPx = 0;
    int32_t titleFontPx = 0;
    int32_t pathFontPx = 0;
    int32_t captionFontPx = 0;
    int32_t planFontPx = 0;  // the merge mode's line
};

// Room a window larger than its default layout has, in pixels of the window:
// the extra width goes to the file-name column (and with it to everything
// that spans the panel), the extra height to the log.
struct LayoutStretch {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const LayoutStretch&) const = default;
};

// The layout at `scale`; with a stretch the same layout made larger, every
// control right of the file-name column moved right by the extra width and
// the log's list and buttons moved down by the extra height.
MainLayout ComputeMainLayout(double scale, LayoutStretch stretch = {});

// The stretch of a window whose client area (menu bar included) is
// `clientWidth` x `clientHeight`: what it has beyond the default layout at
// `scale`, never less than nothing.
LayoutStretch StretchOfClient(double scale, int32_t clientWidth, int32_t clientHeight);

// The scale the main window takes on a screen whose available area (the
// screen less its task bars and panels, in the window's pixels) is
// `availableWidth` x `availableHeight`: the largest quarter step from
// `wanted` (a UiScale) down to 1 at which the whole window, frame included,
// fits the area. Where not even scale 1 fits, the window keeps scale 1 and
// its content scrolls inside a window cut to the area. An area of no size
// (a screen that reports none) leaves `wanted` as it is.
struct WindowFit {
    double scale = 1.0;
    bool scrolls = false;
    bool operator==(const WindowFit&) const = default;
};
WindowFit FitWindowToScreen(double wanted, int32_t availableWidth, int32_t availableHeight);

// The controls of one row, in the row's own coordinates.
struct RowLayout {
    int32_t width = 0;
    int32_t height = 0;
    Rect select;        // the numbered check box
    Rect fileName;
    Rect browse;        // "..."
    Rect fileSize;
    Rect polishType;    // the alignment list (the BIN-offset edit shares its column)
    Rect binOffset;
    Rect polishData;    // the fill list
    Rect offsetAddr;
    Rect saveOffset;    // the keep box
    std::array<int32_t, 6> lines;  // the vertical lines between columns
    int32_t fontPx = 0;            // the edits' and lists' font
};

// `extraWidth` is the main layout's stretch: the file-name box takes it.
RowLayout ComputeRowLayout(double scale, int32_t extraWidth = 0);

}  // namespace torvane
