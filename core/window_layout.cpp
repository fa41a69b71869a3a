#include "core/window_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>
#include <tuple>

namespace torvane {
namespace {

// A design value scaled the way the window does it: in single precision, as
// the value divided by the reciprocal of the scale, truncated.
struct Scaler {
    explicit Scaler(double s) : reciprocal(static_cast<float>(1.0 / s)) {}
    float reciprocal;
    float f(float v) const { return v / reciprocal; }
    int32_t operator()(float v) const { return static_cast<int32_t>(f(v)); }
    // A value built on one already converted: the sum is truncated once.
    int32_t plus(int32_t base, float v) const { return static_cast<int32_t>(static_cast<float>(base) + f(v)); }
};

}  // namespace

double UiScaleFor(int dpiX, int dpiY) {
    const int avg = static_cast<int>(static_cast<float>(dpiX + dpiY) * 0.5f);
    const int steps = (avg - 96) / 24;  // truncates toward zero
    return std::max(1.0, 1.0 + 0.25 * steps);
}

namespace {

// A scale factor as a desktop writes it into the environment ("2", "1.5");
// nothing for anything else, a sign, a unit or blanks included.
std::optional<double> ParseScaleFactor(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value) || value <= 0) return std::nullopt;
    return value;
}

}  // namespace

double UiScaleForDesktop(const DesktopScaleHints& hints) {
    double wanted = UiScaleFor(hints.dpiX, hints.dpiY);
    for (const std::string* text : {&hints.qtScaleFactor, &hints.gdkScale}) {
        if (const std::optional<double> factor = ParseScaleFactor(*text)) wanted = std::max(wanted, *factor);
    }
    const double ratio = std::isfinite(hints.devicePixelRatio) && hints.devicePixelRatio > 1
                             ? std::min(hints.devicePixelRatio, kMaxUiScale)
                             : 1.0;
    // The toolkit draws at the device pixel ratio on its own; the window adds
    // only what the desktop asks beyond it, or it would be scaled twice.
    const double own = std::max(wanted, ratio) / ratio;
    // Cut to a quarter step as the dpi rule cuts: 1.4 gives 1.25. The small
    // allowance keeps 1.25 from becoming 1.0 through rounding in the division.
    const double stepped = std::floor(std::min(own, kMaxUiScale) * 4 + 1e-9) / 4;
    return std::clamp(stepped, 1.0, kMaxUiScale);
}

double PointFontFactorForDesktop(const DesktopScaleHints& hints) {
    return UiScaleForDesktop(hints) / UiScaleFor(hints.dpiX, hints.dpiY);
}

WindowFit FitWindowToScreen(double wanted, int32_t availableWidth, int32_t availableHeight) {
    const double top = std::isfinite(wanted) ? std::clamp(std::floor(wanted * 4 + 1e-9) / 4, 1.0, kMaxUiScale) : 1.0;
    if (availableWidth <= 0 || availableHeight <= 0) return WindowFit{top, false};
    for (double scale = top; scale >= 1.0; scale -= 0.25) {
        const MainLayout m = ComputeMainLayout(scale);
        if (m.windowWidth <= availableWidth && m.windowHeight <= availableHeight) return WindowFit{scale, false};
    }
    return WindowFit{1.0, true};
}

LayoutStretch StretchOfClient(double scale, int32_t clientWidth, int32_t clientHeight) {
    const MainLayout m = ComputeMainLayout(scale);
    return {std::max(0, clientWidth - m.clientWidth), std::max(0, clientHeight - m.clientHeight)};
}

MainLayout ComputeMainLayout(double scale, LayoutStretch stretch) {
    const Scaler v(scale);
    const int32_t dx = std::max(0, stretch.width);
    const int32_t dy = std::max(0, stretch.height);
    MainLayout m;
    m.scale = scale;
    m.windowWidth = v(1090) + dx;
    m.windowHeight = v(750) + dy;
    m.clientWidth = m.windowWidth - kFrameWidth;
    m.clientHeight = m.windowHeight - kFrameHeight;
    m.L = v(25);
    m.R = v.plus(m.L, 1020) + dx;
    m.panel = {v(12), v(67), v(1060) + dx, v(395)};

    int32_t left = v(12);
    const int32_t panelTop = v(67);
    const int32_t modeTop = static_cast<int32_t>(static_cast<float>(panelTop) - v.f(25));
    for (Rect* b : {&m.hexToBinMode, &m.mergeMode, &m.alignMode}) {
        const int32_t right = v.plus(left, 88);
        *b = {left, modeTop, right, panelTop};
        left = right;
    }

    m.headerBand = {m.L, v(95), m.R, v(121)};
    constexpr std::array<int, 6> kColumns = {60, 400, 510, 600, 700, 840};
    // The file-name column, the second, takes the extra width.
    for (size_t i = 0; i < kColumns.size(); ++i)
        m.columnEdges[i] = v.plus(m.L, static_cast<float>(kColumns[i])) + (i > 0 ? dx : 0);
    const int32_t titleTop = v(96);
    const int32_t titleBottom = v(120);
    m.headerCheck = {m.L + 3, titleTop, m.columnEdges[0], titleBottom};  // 3 pixels, not scaled
    const std::array<Rect*, 6> titles = {&m.fileTitle,  &m.sizeTitle,   &m.alignTitle,
                                         &m.fillTitle, &m.offsetTitle, &m.keepTitle};
    static_assert(titles.size() == std::tuple_size_v<decltype(m.columnEdges)>, "one title per column");
    for (size_t i = 0; i < titles.size(); ++i) {
        const int32_t right = i + 1 < m.columnEdges.size() ? m.columnEdges[i + 1] : m.R;
        *titles[i] = {m.columnEdges[i], titleTop, right, titleBottom};
    }

    int32_t top = m.headerBand.bottom;
    for (Rect& row : m.rows) {
        const int32_t bottom = static_cast<int32_t>(static_cast<double>(top) + 26 * scale);
        row = {m.headerBand.left, top, m.headerBand.right, bottom};
        top = bottom;
    }

    const int32_t outTop = v(299);
    const int32_t outBottom = v(324);
    // The 22 pixels of the panel under the rows, which nothing else takes.
    m.mergePlan = {m.L, m.rows.back().bottom + v(2), m.R, outTop - v(2)};
    const int32_t b1 = v.plus(m.L, 120);
    m.outputLabel = {m.L, outTop, b1, outBottom};
    m.outputEdit = {b1, outTop, v.plus(m.R, -40), outBottom};
    m.outputBrowse = {v.plus(m.R, -30), outTop, m.R, outBottom};

    const int32_t actionTop = v(339);
    const int32_t actionBottom = v(374);
    const int32_t gap = static_cast<int32_t>((static_cast<float>(m.R - m.L) - v.f(5 * 120)) * 0.25f);
    left = m.L;
    for (Rect* b : {&m.importButton, &m.exportButton, &m.hexToBinButton, &m.mergeButton, &m.alignButton}) {
        const int32_t right = v.plus(left, 120);
        *b = {left, actionTop, right, actionBottom};
        left = right + gap;
    }
    // It keeps clear of both neighbours by an eighth of the gap.
    m.memoryMapButton = {m.mergeButton.right + gap / 8, actionTop, m.alignButton.left - gap / 8, actionBottom};

    m.logGroup = {v(12), v(403), v(1060) + dx, v(673) + dy};
    m.logList = {m.L, v(433), m.R, v(623) + dy};
    const int32_t buttonTop = v(633) + dy;
    const int32_t buttonBottom = v(663) + dy;
    m.clearButton = {v.plus(m.R, -60), buttonTop, m.R, buttonBottom};
    const int32_t c = m.clearButton.left;
    m.saveButton = {v.plus(c, -70), buttonTop, v.plus(c, -10), buttonBottom};

    m.groupFontPx = v(16);
    m.titleFontPx = v(13);
    m.pathFontPx = v(14);
    m.captionFontPx = static_cast<int32_t>(14 * scale);
    m.planFontPx = v(12);
    return m;
}

RowLayout ComputeRowLayout(double f, int32_t extraWidth) {
    const int32_t dx = std::max(0, extraWidth);
    auto s = [f](double x) { return static_cast<int32_t>(x * f); };
    RowLayout r;
    r.width = s(1020) + dx;
    r.height = s(26);
    const int32_t top = s(2);
    const int32_t bottom = s(26);
    auto column = [&](double from, double to) { return Rect{s(from), top, s(to), bottom}; };
    auto inset = [](Rect c, int32_t dl, int32_t dt, int32_t dw, int32_t dh) {
        const int32_t left = c.left + dl;
        const int32_t t = c.top + dt;
        return Rect{left, t, left + c.width() + dw, t + c.height() + dh};
    };
    // Everything right of the file-name box moves over by the extra width.
    auto right = [dx](Rect c) { return Rect{c.left + dx, c.top, c.right + dx, c.bottom}; };
    r.select = inset(column(0, 60), 3, 1, -5, -2);
    r.fileName = inset(column(60, 350), 2, 3, -4, -4);
    r.fileName.right += dx;
    r.browse = right(inset(column(360, 400), 2, 1, -14, -3));
    r.fileSize = right(inset(column(400, 510), 2, 3, -4, -4));
    r.polishType = right(inset(column(510, 600), 2, 1, -4, -2));
    r.binOffset = right(inset(column(510, 600), 2, 3, -4, -4));
    r.polishData = right(inset(column(600, 700), 2, 1, -4, -2));
    r.offsetAddr = right(inset(column(700, 840), 2, 3, -4, -4));
    r.saveOffset = right(inset(column(840, 1020), s(85), 1, -s(120), -2));
    r.lines = {s(60), s(400) + dx, s(510) + dx, s(600) + dx, s(700) + dx, s(840) + dx};
    r.fontPx = s(12);
    return r;
}

}  // namespace torvane
