#pragma once

#include <QSize>

namespace torvane::ui {

// Takes QT_SCALE_FACTOR from the environment before the toolkit starts and
// removes it there: the window scales itself by it, and the toolkit, which
// would obey it even with its own high-dpi scaling off, must not scale the
// window a second time. Call before the QApplication is made.
void TakeOverQtScaleFactor();

// UiScale for the primary screen: its logical resolution and device pixel
// ratio, QT_SCALE_FACTOR as taken over and GDK_SCALE (UiScaleForDesktop).
double DesktopUiScale();

// The primary screen's area less its task bars and panels, in the window's
// pixels; an invalid size when there is no screen.
QSize AvailableScreenSize();

// The UiScale the main window takes on the primary screen, or on a screen
// with the `available` area: DesktopUiScale cut to what fits
// (FitWindowToScreen).
double FittedDesktopUiScale(QSize available = QSize());

// Makes the application's font and the program's fonts in points grow by
// what the window's scale (FittedDesktopUiScale) asks beyond the logical
// resolution (PointFontScale). Call after the QApplication is made, before
// any window.
void ScalePointFontsForDesktop(QSize available = QSize());

// Puts the application's style behind one that draws its check boxes, combo
// and scroll arrows and its other measures as large as the point fonts
// (PointFontScale): where the desktop states its scale through QT_SCALE_FACTOR
// or GDK_SCALE rather than through its resolution, the style measures as it
// does at a resolution that states that scale (QT_SCALE_FACTOR=1.5 as at
// Xft.dpi 144). The scale is read at every use. Call after the QApplication
// is made.
void InstallDesktopScaledStyle();

}  // namespace torvane::ui
