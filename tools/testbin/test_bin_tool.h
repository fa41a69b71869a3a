#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/testbin/test_image.h"

namespace torvane {

class Prompts;

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
    std::string LengthText;  // the length edit, decimal
    std::string StartText;   // the first filled address, hex
    std::string EndText;     // the last filled address, hex
    std::string FillText;    // the fill byte, hex
    bool Random = true;      // the check box "随机数"
    std::string PathText;    // the output path

    // The fill edit is enabled exactly when the check box is not checked.
    bool FillEnabled() const { return !Random; }
};

// The folder for default files (DefaultFilesFolder) followed by "Test.bin".
std::string TestBinDefaultPath();

// The form as the dialog opens: length 1024, range 000000..0003FF, no fill data,
// random, the default path.
TestBinForm StartTestBinForm(const std::string& defaultPath);

// "重置": the four number edits empty, the default path back; the check
// box stays as it is.
void ResetTestBinForm(TestBinForm& form, const std::string& defaultPath);

// The end edit after an edit of the length: N = ParseDecimalField (core/file_entry.h)
// of the length text, and N - 1 shown as "%.6X" of its 32-bit form,
// so "1024" gives "0003FF" and an empty or zero length "FFFFFFFF".
std::string EndFieldText(const std::string& lengthText);

// Each edit of the length sets the end address from it.
inline void OnTestBinLengthEdited(TestBinForm& form) { form.EndText = EndFieldText(form.LengthText); }

// The dialog's edits.
enum class TestBinField { Length, Start, End, Fill, Path };

// True when a character typed into the field reaches it: the start, end and
// fill edits take hex digits and Backspace only, the others take everything.
bool TestBinFieldAcceptsKey(TestBinField field, char32_t ch);

// The "..." button: asks for the output path (an open-kind dialog); nothing when cancelled.
std::optional<std::string> BrowseTestBinPath(Prompts& prompts);

// "生成": checks the fields in order, each failure stopping with its
// warning box (a stop box when the file cannot be written); then builds the image and writes it, replacing an existing
// file, and reports. True only when the whole file was written. `values` feeds
// the random fill; empty means a generator seeded from the clock now.
bool GenerateTestBin(const TestBinForm& form, Prompts& prompts, RandomValues values = {});

}  // namespace torvane
