#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace torvane::ui {

// Whether the pointer is over `widget` now, with no other window (a menu, a
// box) between them.
bool PointerIsOver(const QWidget& widget);

// Calls `recheck` soon after any window of the application is hidden: a menu
// or a box that closes over a button sends the button no leave event, so a
// hover state would outlive the pointer. Lives as a child of `owner`.
class HoverCheck : public QObject {
public:
    HoverCheck(QWidget* owner, std::function<void()> recheck);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> recheck_;
};

}  // namespace torvane::ui
