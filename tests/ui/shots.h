#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

namespace torvane::ui {

// Saves a picture of the widget under $TORVANE_SHOTS (the build's screenshots
// folder when ctest runs the UI tests) for a person to look at.
inline void Shoot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("TORVANE_SHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace torvane::ui
