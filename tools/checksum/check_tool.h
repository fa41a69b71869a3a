#pragma once

#include <array>
#include <optional>
#include <string>

namespace torvane {

class Prompts;

// Control identifiers of the check-value dialog CDlg_Check (resource 168).
namespace check_id {
inline constexpr int kDialog = 168;
inline constexpr int kCommand = 32781;  // "生成文件校验值" in the Tools menu
inline constexpr int kPath = 1010;      // edit: the file to check
inline constexpr int kBrowse = 1002;    // "..."
inline constexpr int kData = 1011;      // edit: typed data, hex text
inline constexpr int kMethodList = 1064;
inline constexpr int kResult = 1009;    // edit: the check value
}  // namespace check_id

inline constexpr const char* kCheckCaption = "生成文件校验值";
inline constexpr const char* kCheckHint = "（同时选择了待校验文件与校验数据时，优先对文件进行校验）";
inline constexpr const char* kCheckPathLabel = "待校验的文件：";
inline constexpr const char* kCheckDataLabel = "校验数据：";
inline constexpr const char* kCheckMethodLabel = "校验方式：";
inline constexpr const char* kCheckResultLabel = "校验值：";
// The captions of list 1064, indexed by ChecksumMethod. The list starts on index 0.
inline constexpr std::array<const char*, 5> kChecksumMethodCaptions = {"校验和", "2字节校验和", "4字节校验和",
                                                                       "8字节校验和", "MD5"};
inline constexpr const char* kCheckFileFilter = "Bin文件(*.BIN)|*.BIN||";

inline constexpr const char* kCheckNothingMessage = "请选择待校验文件或输入待校验数据！";
inline constexpr const char* kCheckOpenFailedMessage = "校验文件打开失败！";
inline constexpr const char* kCheckDataErrorMessage = "数据输入错误";

// What one computation changes in the dialog.
struct CheckOutcome {
    // The new text of the result edit 1009; nothing leaves its old text.
    std::optional<std::string> ResultText;
    // True when list 1064 is to show no selected method.
    bool ClearSelection = false;
};

// The computation that a selection change in the method list runs. A path wins
// over data (which is then not even parsed): the file must open for reading and
// writing and is read whole; files of 4 GiB and more are refused as unopenable.
// Without a path the data text is parsed. `selectedIndex` is the list's
// selection, -1 (or any index outside the list) when none. Messages are
// information boxes with an OK button, shown through `prompts`; a stop without
// a message leaves everything as it was.
CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText, int selectedIndex,
                                 Prompts& prompts);

// True when a character typed into the data edit 1011 reaches it.
bool AcceptsCheckDataKey(char32_t ch);

// Button 1002: asks for the file to check; nothing when cancelled.
std::optional<std::string> BrowseCheckFile(Prompts& prompts);

}  // namespace torvane
