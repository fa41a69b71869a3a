#pragma once

#include <optional>
#include <string>

#include "tools/bin2c/bin_to_c_array.h"

namespace torvane {

class Prompts;

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
// Our own choice in the dialog: CArrayType::StdintUint8.
inline constexpr const char* kBinToCStdintCaption = "使用 stdint.h 的 uint8_t 类型";

// The two path edits after the source was chosen.
struct BinToCPaths {
    std::string Source;  // the file to convert
    std::string Target;  // the C source to write, as proposed
};

// The source's "..." button: asks for the source; with it, the proposed target. Nothing when cancelled.
std::optional<BinToCPaths> BrowseBinToCSource(Prompts& prompts);

// The target's "..." button: asks for the target, confirming the replacement of an existing
// file. Nothing when cancelled.
std::optional<std::string> BrowseBinToCTarget(Prompts& prompts);

// "转换": writes the C array text of the source file to the target,
// replacing it, and reports the outcome in a box ("Error" with a warning icon
// for a source that is missing, not a regular file, empty, too large, not
// openable for reading and writing, unreadable or the target itself; "Error"
// with a stop icon when the target cannot be written; "Tip" on success). The
// source is never created or changed, and the target is not touched unless
// every source check passed. True only when the whole target was written.
// `type` is the array's element type (CArrayType::Uint8 unless chosen).
bool ConvertBinToC(const std::string& sourcePath, const std::string& targetPath, Prompts& prompts,
                   CArrayType type = CArrayType::Uint8);

}  // namespace torvane
