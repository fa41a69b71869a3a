#include "ui/desktop_scale.h"

#include <QApplication>
#include <QFont>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "core/window_layout.h"
#include "widgets/point_font.h"

namespace torvane::ui {
namespace {

// QT_SCALE_FACTOR as it was when the toolkit started; nothing before that.
std::optional<std::string>& TakenQtScaleFactor() {
    static std::optional<std::string> taken;
    return taken;
}

// A resolution the screen reports, as a whole number of dots per inch; 96 for
// one no screen has.
int Dpi(double reported) {
    if (!std::isfinite(reported) || reported < 1 || reported > 10000) return 96;
    return static_cast<int>(reported);
}

DesktopScaleHints CurrentHints() {
    DesktopScaleHints hints;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        hints.dpiX = Dpi(screen->logicalDotsPerInchX());
        hints.dpiY = Dpi(screen->logicalDotsPerInchY());
        hints.devicePixelRatio = screen->devicePixelRatio();
    }
    const std::optional<std::string>& taken = TakenQtScaleFactor();
    hints.qtScaleFactor = taken ? *taken : qEnvironmentVariable("QT_SCALE_FACTOR").toStdString();
    hints.gdkScale = qEnvironmentVariable("GDK_SCALE").toStdString();
    return hints;
}

}  // namespace

void TakeOverQtScaleFactor() {
    TakenQtScaleFactor() = qEnvironmentVariable("QT_SCALE_FACTOR").toStdString();
    qunsetenv("QT_SCALE_FACTOR");
}

QSize AvailableScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize();
}

double DesktopUiScale() { return UiScaleForDesktop(CurrentHints()); }

double FittedDesktopUiScale(QSize available) {
    if (!available.isValid()) available = AvailableScreenSize();
    const double wanted = DesktopUiScale();
    if (!available.isValid()) return wanted;
    return FitWindowToScreen(wanted, available.width(), available.height()).scale;
}

void ScalePointFontsForDesktop(QSize available) {
    // The application's font as the toolkit chose it, before any scaling.
    static const QFont base = QApplication::font();
    const DesktopScaleHints hints = CurrentHints();
    // A window cut to fit its screen takes its fonts down with it.
    const double factor =
        PointFontFactorForDesktop(hints) * FittedDesktopUiScale(available) / UiScaleForDesktop(hints);
    SetPointFontScale(factor);
    QFont font = base;
    if (base.pointSizeF() > 0) font.setPointSizeF(base.pointSizeF() * factor);
    QApplication::setFont(font);
}

}  // namespace torvane::ui
