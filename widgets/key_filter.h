#pragma once

#include <QObject>
#include <functional>
#include <string>

class QKeyEvent;
class QWidget;

namespace torvane::ui {

// The characters a key press types into an edit; empty for a press that types
// none: navigation and editing keys, Tab, Enter, Escape, Delete, and Ctrl
// shortcuts such as Ctrl+V, which paste rather than type. Backspace counts as a
// typed character (code 8), as the key rules expect.
std::u32string TypedCharacters(const QKeyEvent& key);

// Enter in a dialog without a default button: presses the focused button (an
// enabled one, not on auto-repeat) and takes the key, so Enter in an edit, a
// table or a list does nothing. False for any other key, which the dialog
// handles as usual.
bool PressFocusedButtonOnEnter(QWidget* dialog, QKeyEvent* event);

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
