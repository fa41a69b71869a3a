#pragma once

#include <vector>

#include "core/integrity_fields.h"

class QWidget;

namespace torvane::ui {

// Opens the tool dialog of a Tools menu command (32781, 32774, 32773, 32806,
// 32812, 32814) modally over `parent`; it is made for this one use. Other
// numbers do nothing. The comparison checks `mergeFields`, the merge
// settings' fields, when asked to.
void OpenToolDialog(int command, QWidget* parent, const std::vector<FieldSpec>& mergeFields = {},
                    bool mergePositions = true);

}  // namespace torvane::ui
