#pragma once

#include <QFont>
#include <QString>

namespace torvane::ui {

// Fonts given in points follow the screen's logical resolution by themselves.
// When the desktop asks for more than that resolution gives (GDK_SCALE=2 at
// 96 dpi), their point sizes are multiplied by this factor as well, so that
// they grow with the window. 1 unless set.
void SetPointFontScale(double factor);
double PointFontScale();

// A font of `face` at `points` times PointFontScale().
QFont PointFont(const QString& face, double points);

}  // namespace torvane::ui
