#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QWidget>

namespace torvane::ui {

// Whether a custom-drawn button shows that it has the focus: only when the
// focus came from the keyboard (Tab), as the desktop's own buttons do.
inline bool ShowsFocusMark(const QWidget& button) {
    return button.hasFocus() && button.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

// The focus mark: a dotted rectangle, every other pixel set, three pixels
// inside the button's edge.
inline void DrawFocusMark(QPainter& p, const QRect& buttonRect, const QColor& colour) {
    const QRect r = buttonRect.adjusted(3, 3, -4, -4);
    if (r.width() <= 0 || r.height() <= 0) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int x = r.left(); x <= r.right(); x += 2) {
        p.drawRect(x, r.top(), 1, 1);
        p.drawRect(x, r.bottom(), 1, 1);
    }
    for (int y = r.top(); y <= r.bottom(); y += 2) {
        p.drawRect(r.left(), y, 1, 1);
        p.drawRect(r.right(), y, 1, 1);
    }
    p.restore();
}

}  // namespace torvane::ui
