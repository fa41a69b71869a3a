#pragma once

#include <optional>
#include <string>

namespace torvane {

class Prompts;

// Control identifiers of the C array dialog CDlg_BinToH (resource 170).
namespace bin2c_id {
inline constexpr int kDialog = 170;
inline constexpr int kCommand = 32773;     // "转换文件格式" in the Tools menu
inline constexpr int kSource = 1014;       // edit: the file to convert
inline constexpr int kBrowseSource = 1037; // "..."
inline constexpr int kTarget = 1015;       // edit: the C source to write
inline constexpr int kBrowseTarget = 1038; // "..."
inline constexpr int kConvert = 1065;      // "转换"
}  // namespace bin2c_id

inline constexpr const char* kBinToCCaption = "转换为C语言数组格式";
inline constexpr const char* kBinToCSourceLabel = "待转换文件：";
inline constexpr const char* kBinToCTargetLabel = "目标文件：";
inline constexpr const char* kBinToCSourceFilter = "(*.HEX)|*.HEX|(*.BIN)|*.BIN|所有文件(*.*)|*.*||";
inline constexpr const char* kBinToCTargetFilter = "所有文件(*.*)|*.*||";

// Captions of the conversion's boxes.
inline constexpr const char* kBinToCErrorCaption = "Error";
inline constexpr const char* kBinToCTipCaption = "Tip";

inline constexpr const char* kBinToCMissingMessage = "待转换文件不存在，请重新选择文件！";
inline constexpr const char* kBinToCEmptyMessage = "待转换文件为空，请重新选择文件！";
inline constexpr const char* kBinToCTooLargeMessage = "文件过大，请重新选择文件！";
inline constexpr const char* kBinToCOpenFailedMessage = "打开Bin文件失败！";
inline constexpr const char* kBinToCSameFileMessage = "目标文件不能与待转换文件相同，请重新选择目标文件！";
inline constexpr const char* kBinToCReadFailedMessage = "读取Bin文件失败！";
inline constexpr const char* kBinToCWriteFailedMessage = "数据写入文件失败！";
inline constexpr const char* kBinToCDoneMessage = "文件转换完成";

// The two path edits after the source was chosen.
struct BinToCPaths {
    std::string Source;  // 1014
    std::string Target;  // 1015, the proposed target
};

// Button 1037: asks for the source; with it, the proposed target. Nothing when cancelled.
std::optional<BinToCPaths> BrowseBinToCSource(Prompts& prompts);

// Button 1038: asks for the target, confirming the replacement of an existing
// file. Nothing when cancelled.
std::optional<std::string> BrowseBinToCTarget(Prompts& prompts);

// Convert (1065): writes the C array text of the source file to the target,
// replacing it, and reports the outcome in a box ("Error" with a warning icon
// for a source that is missing, not a regular file, empty, too large, not
// openable for reading and writing, unreadable or the target itself; "Error"
// with a stop icon when the target cannot be written; "Tip" on success). The
// source is never created or changed, and the target is not touched unless
// every source check passed. True only when the whole target was written.
bool ConvertBinToC(const std::string& sourcePath, const std::string& targetPath, Prompts& prompts);

}  // namespace torvane
