#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/decode_hex.h"
#include "core/file_entry.h"
#include "platform/prompts.h"
#include "platform/sized_files.h"

namespace torvane {

class OperationLog;
class Prompts;
class Workspace;

// The BIN file written for a HEX file: the name's last three bytes replaced by
// "BIN" (/fw/app.hex becomes /fw/app.BIN).
std::string BinFileNameFor(const std::string& hexFileName);

// A HEX file converted without a BIN file: its decoded image and the range of
// it that the BIN file would hold.
struct ConvertedImage {
    std::shared_ptr<const HexImage> image;
    uint32_t from = 0;    // image index of the first byte
    uint32_t length = 0;  // bytes from there
    uint32_t lowestAddress = 0;
    std::optional<uint32_t> start;  // where the program starts, when the file says so
    // The file's own gaps between its records, as offsets into the converted
    // bytes, and the byte they take (the image holds 0x00 there; a caller
    // that copies data() fills them with gapFill).
    std::vector<ImageRun> gaps;
    uint8_t gapFill = 0;
    const uint8_t* data() const { return image->data() + from; }
};

// The line a conversion adds when the file has gaps between its records: how
// many, how many bytes, and the byte that filled them.
inline constexpr const char* kHexGapsFormat = "文件%d：#第%d步：文件记录之间有%d处空隙，共%u字节，已填充0x%.2X\r\n";

// Converts the k-th selected file of the workspace's BatchSelection into its BIN
// file and logs each step. True when the BIN file was written; ConvertedName[k]
// and ConvertedSize[k] then name it, and StepNo[k] is one past the last step.
// ConvertMode::InMemory writes nothing: the bytes go to `converted`, the step
// line says no file was made, and ConvertedName[k] stays empty. The merge and
// its plan convert so, and leave no file behind but their output.
enum class ConvertMode { Write, InMemory };
bool ConvertHexFile(Workspace& ws, int k, ConvertMode mode = ConvertMode::Write, ConvertedImage* converted = nullptr);

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

// The reason of a step that failed to write (or open for writing) a file,
// under the step's own line: the system's or our own words, in Chinese.
inline constexpr const char* kStepReasonFormat = "文件%d：#第%d步：失败原因：%s\r\n";
void LogStepReason(OperationLog& log, int32_t fileNo, int32_t step, const std::string& english);

inline constexpr const char* kSelectOneFileMessage = "请选择至少一个目标文件！";

// The question for a BIN row of the k-th selected file whose bytes read as HEX
// text; `work` names the operation ("合并", "对齐").
MessageBox HexTextAsBinQuestion(const FileEntry& e, const char* work);
// The reason a row left out so gives.
inline constexpr const char* kHexTextAsBinReason =
    "the file holds Intel HEX text under a name that is not a HEX file's; name it .hex to convert it, or give "
    "--as-bin before it to use its bytes as they are";

}  // namespace torvane
