#pragma once

#include <array>
#include <optional>
#include <string>

#include "tools/checksum/check_value.h"

namespace torvane {

class Prompts;

inline constexpr const char* kCheckCaption = "生成文件校验值";
inline constexpr const char* kCheckHint = "（同时选择了待校验文件与校验数据时，优先对文件进行校验）";
inline constexpr const char* kCheckPathLabel = "待校验的文件：";
inline constexpr const char* kCheckDataLabel = "校验数据：";
inline constexpr const char* kCheckMethodLabel = "校验方式：";
inline constexpr const char* kCheckResultLabel = "校验值：";
// The captions of the method list, indexed by ChecksumMethod. The list starts on index 0.
inline constexpr std::array<const char*, 10> kChecksumMethodCaptions = {
    "校验和", "2字节校验和", "4字节校验和", "8字节校验和", "MD5",
    "CRC-16/IBM-3740", "CRC-32/ISO-HDLC", "CRC-32/ISCSI", "STM32 CRC", "SHA-256"};
static_assert(kChecksumMethodCaptions.size() == static_cast<size_t>(ChecksumMethod::Sha256) + 1 &&
                  kChecksumMethodCaptions.size() == kChecksumMethodCount,
              "one caption per ChecksumMethod, in its order");
// Any file is checked as it is; the formats a row reads have entries too, as
// their data can be checked instead (CheckSource::ImageData).
inline constexpr const char* kCheckFileFilter =
    "Bin文件(*.BIN)|*.BIN|HEX文件(*.HEX;*.IHX)|*.hex;*.ihx|"
    "S-record文件(*.SREC;*.S19;*.S28;*.S37;*.MOT)|*.srec;*.s19;*.s28;*.s37;*.mot|"
    "ELF文件(*.ELF;*.AXF)|*.elf;*.axf|所有文件 (*)|*||";

inline constexpr const char* kCheckNothingMessage = "请选择待校验文件或输入待校验数据！";
inline constexpr const char* kCheckOpenFailedMessage = "校验文件打开失败！";
inline constexpr const char* kCheckDataErrorMessage = "数据输入错误";

// What a file's check value is taken over.
enum class CheckSource {
    FileBytes,  // the file's bytes as they are: for a HEX file, its text
    // The data a HEX, S-record or ELF file describes, as torvane-cli convert
    // writes it to BIN: from its lowest address to its highest, the gaps 0x00.
    ImageData,
};

// A file whose name makes it a HEX, S-record or ELF file: its check value can
// be taken over the data it describes as well as over its bytes.
bool DescribesData(const std::string& path);
// What the dialog says under the path of such a file, and the caption of the
// choice of its data ("按HEX文件描述的数据计算"); both empty for any other file.
std::string CheckFileNote(const std::string& path);
std::string ImageDataCaption(const std::string& path);

// The data of a described file is laid out in memory: at most this many bytes
// from its lowest to its highest address, as a conversion to BIN writes.
inline constexpr uint64_t kCheckImageDataLimit = 64u << 20;
inline constexpr const char* kCheckImageTooLargeFormat = "%s文件描述的数据范围大于64M，未计算校验值！";

// What one computation changes in the dialog.
struct CheckOutcome {
    // The new text of the result edit; nothing leaves its old text. A failed
    // computation empties it: the value shown never belongs to other input.
    std::optional<std::string> ResultText;
    // True when the computation failed (its message was shown).
    bool Failed = false;
    // True when the method list is to show no selected method.
    bool ClearSelection = false;
};

// The computation that a selection change in the method list runs. A path wins
// over data (which is then not even parsed): the file must open for reading and
// writing and is read whole; files of 4 GiB and more are refused as unopenable.
// Without a path the data text is parsed (ParseHexData). `selectedIndex` is the list's
// selection, -1 (or any index outside the list) when none. Messages are
// boxes with an OK button, shown through `prompts`: a warning for what was
// typed or left out, a stop for a file that cannot be opened; a stop without
// a message leaves everything as it was.
// `source` says what a described file is checked over; any other file is
// checked over its bytes whatever it says. A described file that does not
// read whole ("错误的Hex文件！" and its kind) or whose data spans more than
// kCheckImageDataLimit is refused with a stop box.
CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText, int selectedIndex,
                                 Prompts& prompts, CheckSource source = CheckSource::FileBytes);
// The same with the method as a fresh stream (any CRC); nothing = no method chosen.
CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText,
                                 const std::optional<CheckValueStream>& method, Prompts& prompts,
                                 CheckSource source = CheckSource::FileBytes);

// True when a character typed into the data edit reaches it: a hex digit or
// the x of "0x".
bool AcceptsCheckDataKey(char32_t ch);

// The "..." button: asks for the file to check; nothing when cancelled.
std::optional<std::string> BrowseCheckFile(Prompts& prompts);

}  // namespace torvane
