#pragma once

class QWidget;

namespace torvane::ui {

// Opens the tool dialog of a Tools menu command (32781, 32774, 32773, 32806)
// modally over `parent`; it is made for this one use. Other numbers do nothing.
void OpenToolDialog(int command, QWidget* parent);

}  // namespace torvane::ui
