#include "core/workspace.h"

#include "platform/prompts.h"

namespace torvane {

Workspace::Workspace(Prompts& prompts) : prompts_(prompts), rows_(prompts) {}

void Workspace::ClearList() {
    const Answer answer =
        prompts_.Show(MessageBox{kClearListQuestion, kClearListCaption, MessageIcon::Question, MessageButtons::YesNo});
    if (answer != Answer::Yes) return;
    for (int row = 0; row < kRowCount; ++row) {
        selection_.WorkingCopies[static_cast<size_t>(row)] = FileEntry{};
        rows_.ClearEntry(row);
    }
    HeaderChecked = false;
    if (ListLayout == kAlignLayout) OutputFileText.clear();
}

}  // namespace torvane
