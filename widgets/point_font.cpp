#include "widgets/point_font.h"

namespace torvane::ui {
namespace {

double& Factor() {
    static double factor = 1.0;
    return factor;
}

}  // namespace

void SetPointFontScale(double factor) { Factor() = factor > 0 ? factor : 1.0; }

double PointFontScale() { return Factor(); }

QFont PointFont(const QString& face, double points) {
    QFont font(face);
    font.setPointSizeF(points * Factor());
    return font;
}

}  // namespace torvane::ui
