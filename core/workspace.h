#pragma once

#include <string>

#include "core/batch_selection.h"
#include "core/file_list.h"
#include "core/operation_log.h"

namespace torvane {

class Prompts;

enum class WorkMode { HexToBinMode, MergeMode, AlignMode };

// ListLayout values: which column the rows show in their fourth place.
inline constexpr int32_t kAlignLayout = 1;   // list 1043 (HEX to BIN, align)
inline constexpr int32_t kOffsetLayout = 2;  // edit 1010 (merge)

inline constexpr const char* kClearListQuestion = "确认要清空文件列表吗？";
inline constexpr const char* kClearListCaption = "温馨提示";

// Everything the main window owns that is not a widget. The window shows this
// state and passes input on; torvane-cli drives the same object.
class Workspace {
public:
    explicit Workspace(Prompts& prompts);

    Prompts& prompts() { return prompts_; }
    FileList& rows() { return rows_; }
    const FileList& rows() const { return rows_; }
    BatchSelection& selection() { return selection_; }
    OperationLog& log() { return log_; }
    const OperationLog& log() const { return log_; }

    // Edit 1003, the output file.
    std::string OutputFileText;
    // Header check box 1048 "序号".
    bool HeaderChecked = false;
    int32_t ListLayout = kAlignLayout;

    // The header check box was clicked; HeaderChecked holds its new state.
    void OnHeaderClicked() { rows_.SelectAll(HeaderChecked); }

    // "清空文件列表信息": asks, then clears every row.
    void ClearList();

private:
    Prompts& prompts_;
    FileList rows_;
    BatchSelection selection_;
    OperationLog log_;
};

}  // namespace torvane
