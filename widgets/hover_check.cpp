#include "widgets/hover_check.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace torvane::ui {

bool PointerIsOver(const QWidget& widget) {
    return widget.isVisible() && QApplication::widgetAt(QCursor::pos()) == &widget;
}

HoverCheck::HoverCheck(QWidget* owner, std::function<void()> recheck)
    : QObject(owner), recheck_(std::move(recheck)) {
    qApp->installEventFilter(this);
}

bool HoverCheck::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
        watched != parent()) {
        // Once the hidden window is gone from under the pointer.
        QTimer::singleShot(0, this, [this] { recheck_(); });
    }
    return false;
}

}  // namespace torvane::ui
