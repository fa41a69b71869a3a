#include "core/batch_selection.h"

#include "core/file_list.h"

namespace torvane {

void ResetSelection(BatchSelection& selection) {
    selection.WorkingCopies.fill(FileEntry{});
    selection.Rows.fill(-1);
    selection.Count = 0;
}

void ResetConverted(BatchSelection& selection) {
    for (std::string& name : selection.ConvertedName) name.clear();
    selection.ConvertedSize.fill(0);
}

void GatherSelection(BatchSelection& selection, FileList& list) {
    for (int row = 0; row < kRowCount; ++row) {
        list.CollectEntry(row);
        const FileEntry& entry = list.Entry(row);
        if (entry.IsSelected != 1 || selection.Count >= kRowCount) continue;
        selection.WorkingCopies[static_cast<size_t>(row)] = entry;
        selection.Rows[static_cast<size_t>(selection.Count++)] = row;
    }
}

}  // namespace torvane
