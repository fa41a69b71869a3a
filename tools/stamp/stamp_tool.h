#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/image_file.h"
#include "core/integrity_fields.h"
#include "formats/image_formats.h"

namespace torvane {

class Prompts;

// "写入校验值": integrity fields written into a copy of an image file (BIN,
// Intel HEX or S-records, by the names of the file and of the output).

// The largest input read. The largest BIN written, and the most a field past
// the image's end may make it grow, is kBinOutputLimit.
inline constexpr uint64_t kStampReadLimit = 256u << 20;

struct StampRequest {
    std::string input;
    std::string output;
    std::vector<FieldSpec> fields;  // applied in their order
    uint32_t base = 0;              // the address of a BIN input's first byte
    uint8_t fill = 0xFF;            // bytes a range lacks, and the gap before a field past the end
    bool inPlace = false;           // the output may be the input
    WriteOptions write;             // the records of a HEX or S-record output
};

struct StampResult {
    bool ok = false;
    bool ontoInput = false;  // refused: the output is the input and inPlace was not given
    std::string reason;  // English, as torvane-cli prints it, when !ok
    std::vector<std::string> warnings;  // of the input, read all the same
    std::vector<WrittenField> written;
};

// Reads the input, checks every field before anything is written, writes
// the fields and saves the output. Nothing is written when it fails.
StampResult StampImage(const StampRequest& request);

// The dialog's words.
inline constexpr const char* kStampCaption = "写入校验值";
inline constexpr const char* kStampHint =
    "计算映像文件中一段地址范围的校验值，写入指定地址，另存为输出文件（BIN、HEX或S-record格式，由文件名决定）。";
inline constexpr const char* kStampFileFilter =
    "映像文件(*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx)|*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx|"
    "HEX文件(*.HEX;*.IHX)|*.hex;*.ihx|S-record文件(*.SREC;*.S19;*.S28;*.S37;*.MOT)|*.srec;*.s19;*.s28;*.s37;*.mot|"
    "ELF文件(*.ELF;*.AXF)|*.elf;*.axf|所有文件 (*.*)|*.*||";
// The output's: the same without ELF, which is read, never written.
inline constexpr const char* kStampOutputFilter =
    "映像文件(*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx)|*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx|"
    "HEX文件(*.HEX;*.IHX)|*.hex;*.ihx|S-record文件(*.SREC;*.S19;*.S28;*.S37;*.MOT)|*.srec;*.s19;*.s28;*.s37;*.mot|"
    "所有文件 (*.*)|*.*||";
inline constexpr const char* kStampNoInputMessage = "请选择要写入校验值的文件！";
inline constexpr const char* kStampNoOutputMessage = "请选择输出文件！";
inline constexpr const char* kStampBadFieldMessage = "校验值设置有误！";
inline constexpr const char* kStampBadNumberFormat = "%s应为1到%d位十六进制数！";
// An address of a field, which may be a word instead ("start", "end").
inline constexpr const char* kFieldBadAddressFormat = "%s应为1到8位十六进制数，或%s！";
inline constexpr const char* kStampFailedMessage = "校验值写入失败！";
inline constexpr const char* kStampOntoInputMessage = "输出文件就是源文件，继续将覆盖源文件。是否继续？";
inline constexpr const char* kStampDoneFormat = "已将校验值写入%s。";

// What the dialog holds when its button is pressed.
struct StampInputs {
    std::string input;
    std::string output;
    std::string baseText;  // a BIN input's first address, hex; empty for 0
    std::string fillText;  // the fill byte, hex; empty for FF
    FieldSpec field;
};

// The dialog's run: its inputs checked in their order, an output that is the
// input asked about (Yes writes over it), the image stamped. The value
// written, as the check tool shows such a value, or nothing when it was not
// written (the box that said why has been shown). `writtenAt`, when given,
// takes the address it was written at ("end" resolved).
std::optional<std::string> RunStampTool(const StampInputs& inputs, Prompts& prompts, uint32_t* writtenAt = nullptr);

// The file dialogs of the image and of the output.
std::optional<std::string> BrowseStampImage(Prompts& prompts);
std::optional<std::string> BrowseStampOutput(Prompts& prompts, const std::string& input);

// The caption of a field name in the dialogs' lists: the name, with what it
// is in words where the name alone does not say it.
std::string FieldNameCaption(const std::string& name);


}  // namespace torvane
