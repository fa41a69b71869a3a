#include "ui/desktop_scale.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
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

// A style option's copy, deleted as the type it was made as: QStyleOption has
// no virtual destructor, so deleting a QStyleOptionToolBar through its base
// would be undefined.
using OptionCopy = std::unique_ptr<QStyleOption, void (*)(QStyleOption*)>;

template <typename T>
OptionCopy MakeCopy(const T& option) {
    return OptionCopy(new T(option), [](QStyleOption* p) { delete static_cast<T*>(p); });
}

// A copy of a style option as its own type; nothing for a type not known here.
template <typename T>
bool CopyAs(const QStyleOption& option, OptionCopy& copy) {
    const T* typed = qstyleoption_cast<const T*>(&option);
    if (!typed) return false;
    copy = MakeCopy(*typed);
    return true;
}

OptionCopy CopyOption(const QStyleOption& o) {
    OptionCopy c(nullptr, nullptr);
    // The newer version of a type before the older, the complex kinds before
    // their common base, the plain option last.
    (void)(CopyAs<QStyleOptionComboBox>(o, c) || CopyAs<QStyleOptionSlider>(o, c) || CopyAs<QStyleOptionSpinBox>(o, c) ||
           CopyAs<QStyleOptionToolButton>(o, c) || CopyAs<QStyleOptionTitleBar>(o, c) ||
           CopyAs<QStyleOptionGroupBox>(o, c) || CopyAs<QStyleOptionSizeGrip>(o, c) || CopyAs<QStyleOptionButton>(o, c) ||
           CopyAs<QStyleOptionFrame>(o, c) || CopyAs<QStyleOptionFocusRect>(o, c) ||
           CopyAs<QStyleOptionMenuItem>(o, c) || CopyAs<QStyleOptionViewItem>(o, c) ||
           CopyAs<QStyleOptionHeaderV2>(o, c) || CopyAs<QStyleOptionHeader>(o, c) ||
           CopyAs<QStyleOptionProgressBar>(o, c) || CopyAs<QStyleOptionTab>(o, c) ||
           CopyAs<QStyleOptionTabBarBase>(o, c) || CopyAs<QStyleOptionTabWidgetFrame>(o, c) ||
           CopyAs<QStyleOptionToolBar>(o, c) || CopyAs<QStyleOptionToolBox>(o, c) ||
           CopyAs<QStyleOptionDockWidget>(o, c) || CopyAs<QStyleOptionRubberBand>(o, c));
    if (!c && o.type == QStyleOption::SO_Complex) c = MakeCopy(*qstyleoption_cast<const QStyleOptionComplex*>(&o));
    if (!c && o.type == QStyleOption::SO_Default) c = MakeCopy(o);
    return c;
}

// A paint device of the given logical resolution: font metrics made for it
// carry that resolution, which the style reads its measures from.
const QPaintDevice* DeviceOfDpi(int dpi) {
    static std::map<int, QImage> devices;
    auto found = devices.find(dpi);
    if (found == devices.end()) {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
        image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
        found = devices.emplace(dpi, image).first;
    }
    return &found->second;
}

int ScreenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? Dpi(screen->logicalDotsPerInchY()) : 96;
}

// The option a style call gets: the caller's own where no scale is asked or
// the option already carries it, else a copy whose font metrics carry the
// resolution that states the scale, for a font as much smaller, so that text
// measures as before.
class ScaledOption {
public:
    ScaledOption(const QStyleOption* option, const QWidget* widget) : original_(option) {
        const double factor = PointFontScale();
        if (std::abs(factor - 1.0) < 1e-6) return;
        const int dpi = static_cast<int>(std::lround(ScreenDpi() * factor));
        if (dpi < 1 || (option && option->fontMetrics.fontDpi() == dpi)) return;
        copy_ = option ? CopyOption(*option) : MakeCopy(QStyleOption());
        if (!copy_) return;
        QFont font = widget ? widget->font() : QApplication::font();
        if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() / factor);
        copy_->fontMetrics = QFontMetrics(font, DeviceOfDpi(dpi));
    }
    const QStyleOption* get() const { return copy_ ? copy_.get() : original_; }
    const QStyleOptionComplex* complex() const { return static_cast<const QStyleOptionComplex*>(get()); }

private:
    const QStyleOption* original_;
    OptionCopy copy_{nullptr, nullptr};
};

class DesktopScaledStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        return QProxyStyle::pixelMetric(metric, o.get(), widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        return QProxyStyle::sizeFromContents(type, o.get(), size, widget);
    }
    QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        return QProxyStyle::subElementRect(element, o.get(), widget);
    }
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        return QProxyStyle::subControlRect(control, o.complex(), sub, widget);
    }
    SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option, const QPoint& point,
                                     const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        return QProxyStyle::hitTestComplexControl(control, o.complex(), point, widget);
    }
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        QProxyStyle::drawPrimitive(element, o.get(), painter, widget);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        QProxyStyle::drawControl(element, o.get(), painter, widget);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        const ScaledOption o(option, widget);
        QProxyStyle::drawComplexControl(control, o.complex(), painter, widget);
    }
};

}  // namespace

void InstallDesktopScaledStyle() {
    if (dynamic_cast<DesktopScaledStyle*>(QApplication::style())) return;
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    QApplication::setStyle(new DesktopScaledStyle(base));
}

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
