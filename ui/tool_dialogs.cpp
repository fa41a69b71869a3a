#include "ui/tool_dialogs.h"

namespace torvane::ui {

void OpenToolDialog(int, QWidget*) {}

}  // namespace torvane::ui
