#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/testbin/test_image.h"

namespace torvane {

class Prompts;

// Control identifiers of the test BIN dialog Dlg_TestBin (resource 162).
namespace testbin_id {
inline constexpr int kDialog = 162;
inline constexpr int kCommand = 32774;  // "生成测试文件" in the Tools menu
inline constexpr int kLength = 1009;    // edit: length, decimal
inline constexpr int kStart = 1011;     // edit: first filled address, hex
inline constexpr int kEnd = 1012;       // edit: last filled address, hex
inline constexpr int kFill = 1010;      // edit: fill byte, hex; enabled when not random
inline constexpr int kRandom = 1072;    // check box "随机数"
inline constexpr int kPath = 1014;      // edit: output path
inline constexpr int kBrowse = 1062;    // "..."
inline constexpr int kGenerate = 1020;  // "生成"
inline constexpr int kReset = 1021;     // "重置"
}  // namespace testbin_id

// Text limits of the edits, in characters.
inline constexpr int kLengthTextLimit = 7;
inline constexpr int kStartTextLimit = 6;
inline constexpr int kEndTextLimit = 6;
inline constexpr int kFillTextLimit = 2;

inline constexpr const char* kTestBinCaption = "生成测试文件";
inline constexpr const char* kTestBinFilter = "所有文件(*.*)|*.*||";
inline constexpr const char* kTestBinFileName = "Test.bin";

inline constexpr const char* kTestBinNoPathMessage = "请选择生成的Bin文件路径！";
inline constexpr const char* kTestBinNoLengthMessage = "请输入文件长度！";
inline constexpr const char* kTestBinTooLongMessage = "文件长度不能大于2M,请重新输入长度";
inline constexpr const char* kTestBinStartPastLengthMessage = "填充首地址不能大于文件长度";
inline constexpr const char* kTestBinEndPastLengthMessage = "填充末地址不能大于文件长度";
inline constexpr const char* kTestBinStartPastEndMessage = "填充首地址不能大于填充末地址";
inline constexpr const char* kTestBinDoneMessage = "BIN测试文件已成功生成!";
inline constexpr const char* kTestBinOpenFailedMessage = "BIN文件打开失败！";

// The contents of the dialog's edits and check box.
struct TestBinForm {
    std::string LengthText;  // 1009
    std::string StartText;   // 1011
    std::string EndText;     // 1012
    std::string FillText;    // 1010
    bool Random = true;      // 1072
    std::string PathText;    // 1014

    // Edit 1010 is enabled exactly when the check box is not checked.
    bool FillEnabled() const { return !Random; }
};

// The folder for default files (DefaultFilesFolder) followed by "Test.bin".
std::string TestBinDefaultPath();

// The form as the dialog opens: length 1024, range 000000..0003FF, no fill data,
// random, the default path.
TestBinForm StartTestBinForm(const std::string& defaultPath);

// Reset (1021): the four number edits empty, the default path back; the check
// box stays as it is.
void ResetTestBinForm(TestBinForm& form, const std::string& defaultPath);

// The end edit after an edit of the length: N = ParseDecimalField (core/file_entry.h)
// of the length text, and N - 1 shown as "%.6X" of its 32-bit form,
// so "1024" gives "0003FF" and an empty or zero length "FFFFFFFF".
std::string EndFieldText(const std::string& lengthText);

// Each edit of 1009 sets 1012 from it.
inline void OnTestBinLengthEdited(TestBinForm& form) { form.EndText = EndFieldText(form.LengthText); }

// True when a character typed into the edit `controlId` reaches it: 1011, 1012
// and 1010 take hex digits and Backspace only, other edits take everything.
bool TestBinFieldAcceptsKey(int controlId, char32_t ch);

// Button 1062: asks for the output path (an open-kind dialog); nothing when cancelled.
std::optional<std::string> BrowseTestBinPath(Prompts& prompts);

// Generate (1020): checks the fields in order, each failure stopping with its
// information box; then builds the image and writes it, replacing an existing
// file, and reports. True only when the whole file was written. `values` feeds
// the random fill; empty means a generator seeded from the clock now.
bool GenerateTestBin(const TestBinForm& form, Prompts& prompts, RandomValues values = {});

}  // namespace torvane
