#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvane {

inline constexpr int kRowCount = 6;

// FileType values of a FileEntry.
inline constexpr int32_t kHexFile = 1;
inline constexpr int32_t kBinFile = 2;

// PolishType index of each alignment choice, and the choice a cleared row shows.
inline constexpr int32_t kAlign1 = 0;
inline constexpr int32_t kAlign4 = 2;
inline constexpr int32_t kDefaultPolishType = kAlign4;

// One row's settings. The field names are also the keys of the project file.
struct FileEntry {
    int32_t IsSelected = 0;        // 1 when the row takes part in the next batch operation
    int32_t FileNo = 0;            // row number 1..6, "文件%d" in every message
    int32_t FileType = 0;          // kHexFile, kBinFile; 0 only in a reset working copy
    std::string FileName;          // full path, UTF-8; empty = the row holds no file
    int32_t FileSize = 0;          // bytes, as found when chosen or last reloaded
    int32_t BINOffset = 0;         // byte position in the merged image
    int32_t OffsetAddr = 0;        // lowest HEX address (a BIN file: whatever its offset-address edit holds)
    int32_t IsSaveOffsetData = 0;  // 1 = keep the data before OffsetAddr in the BIN
    int32_t PolishType = 0;        // 0..3 = 1, 2, 4, 8 bytes
    int32_t PolishData = 0;        // 0 = fill 0x00, 1 = fill 0xFF

    bool operator==(const FileEntry&) const = default;
};

// The file type rule: a HEX file exactly when the last three bytes of the name,
// in the system code page, are "hex" in any case, or the name ends in ".ihx".
// Names of S-records (.s19 .s28 .s37 .srec .mot .sx) and ELF files (.elf .axf
// .out), in any case, are kHexFile rows too: decoded into the same image.
// Everything else is BIN.
int32_t FileTypeOf(const std::string& fileName);

// The word the window names a HEX row's file's format by: "S-record" or
// "ELF" for those, "HEX" for everything else.
const char* RowFormatWord(const std::string& fileName);

// The text of a box about a HEX row's file `fileName`: as it stands for an
// Intel HEX file; for an S-record or ELF file its first "HEX文件" (or
// "Hex文件") names that format instead ("错误的S-record文件！").
std::string RowFileText(std::string_view text, const std::string& fileName);

// The value of a hexadecimal text field: the hex digits at the start of the text
// (an optional "0x" after a leading zero is skipped, as stream extraction does).
// 0 when the text does not begin with a hex digit. Eight digits of 80000000 and
// above give the signed value of their 32-bit pattern, so every "%.8X" text reads
// back as itself; leading zeros do not count, and a value that needs more than
// 32 bits gives 0xFFFFFFFF (-1), which every consumer refuses as out of range.
int32_t ParseHexField(const std::string& text);

// A hex number as a command line or an integrity field gives it: an optional "0x"
// or "0X", then 1 to `maxDigits` hex digits and nothing else. Nothing otherwise.
std::optional<uint64_t> ParseHexNumber(std::string_view text, unsigned maxDigits);

// The decimal value of a text, read the way the C library's atoi reads it
// (leading blanks, a sign, the digits up to the first other character; no
// digits give 0), kept inside the 32-bit range.
int32_t ParseDecimalField(const std::string& text);

// The fill byte of a PolishData choice.
inline uint8_t FillByte(int32_t polishData) { return polishData == 1 ? 0xFF : 0x00; }

}  // namespace torvane
