#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sized_files.h"

namespace torvane {

class OperationLog;
class Prompts;
class Workspace;

// The BIN file written for a HEX file: the name's last three bytes replaced by
// "BIN" (/fw/app.hex becomes /fw/app.BIN).
std::string BinFileNameFor(const std::string& hexFileName);

// Converts the k-th selected file of the workspace's BatchSelection into its BIN
// file and logs each step. True when the BIN file was written; ConvertedName[k]
// and ConvertedSize[k] then name it, and StepNo[k] is one past the last step.
// ConvertMode::Plan does all of it but the write: what a merge plan needs.
enum class ConvertMode { Write, Plan };
bool ConvertHexFile(Workspace& ws, int k, ConvertMode mode = ConvertMode::Write);

// "HEX转BIN": converts every selected HEX file and pads it to its alignment.
// The output-file text shows the BIN file converted last. True when at least one
// file was selected and every one of them was converted (and padded, where its
// alignment asks for it); otherwise a warning names the rows that were not.
bool HexToBinBatch(Workspace& ws);

// A source file read at the size recorded for it. A recorded size outside
// 0..limit is one no row could hold: such a file counts as changed, unread.
SizedRead ReadRecordedFile(const std::string& path, int32_t size, uint64_t limit);

// The step line of a file that is not the length recorded when it was chosen.
inline constexpr const char* kFileChangedFormat =
    "文件%d：#第%d步：文件%s在选择后已被改变（记录的大小为%d字节，现在为%llu字节），请重新选择该文件\r\n";
// Logs the step line of a file that changed since it was chosen and gives its reason.
void ReportChangedFile(OperationLog& log, Prompts& prompts, int32_t fileNo, int32_t step, const std::string& path,
                       int32_t recorded, uint64_t actual);

inline constexpr const char* kSelectOneFileMessage = "请选择至少一个目标文件！";

}  // namespace torvane
