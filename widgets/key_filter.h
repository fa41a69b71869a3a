#pragma once

#include <QObject>
#include <functional>
#include <string>

class QKeyEvent;

namespace torvane::ui {

// The characters a key press types into an edit; empty for a press that types
// none: navigation and editing keys, Tab, Enter, Escape, Delete, and Ctrl
// shortcuts such as Ctrl+V, which paste rather than type. Backspace counts as a
// typed character (code 8), as the key rules expect.
std::u32string TypedCharacters(const QKeyEvent& key);

// Drops a key press that types a character `accepts` refuses. Pasted text does
// not come through key presses and is not filtered.
class TypedKeyFilter : public QObject {
public:
    TypedKeyFilter(std::function<bool(char32_t)> accepts, QObject* parent)
        : QObject(parent), accepts_(std::move(accepts)) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(char32_t)> accepts_;
};

}  // namespace torvane::ui
