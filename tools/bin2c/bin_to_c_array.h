#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace torvane {

// The text is built in a working area of this many bytes, and an input is taken
// only when 10 bytes per input byte plus 1024 fit into it.
inline constexpr uint64_t kBinToCWorkArea = 0xFFFFFF;
// The longest input that fits: 1,677,619 bytes.
inline constexpr uint64_t kMaxBinToCLength = (kBinToCWorkArea - 1024) / 10;

// True when an input of `length` bytes fits the working area.
bool FitsBinToCLimit(uint64_t length);

// The element type the array is declared with.
enum class CArrayType {
    Uint8,         // "UINT8", the program's own form: the including project defines it
    StdintUint8,   // "uint8_t" after "#include <stdint.h>": compiles as it is
};

// The C source text of one array "Bin_Tab" holding the bytes: the declaration
// line, "{", a tab, the items "0X%02X" separated by commas on that one line, and
// "\r\n};" with no line break after it. 5 * L + 33 bytes; 34 for no bytes
// (with CArrayType::StdintUint8, the include line and an empty line before it,
// "uint8_t" for "UINT8" and a final line break: 27 bytes more).
std::string BinToCArray(std::span<const uint8_t> bytes, CArrayType type = CArrayType::Uint8);

// The type's name as torvane-cli's --type takes it ("UINT8", "uint8_t");
// nothing for any other word.
std::optional<CArrayType> CArrayTypeNamed(const std::string& name);

// The target proposed for a source: the path cut at its last '.' (even when that
// dot is in a folder name) with ".h" added; a path without a dot gets ".h" appended.
// The dialog shows it, and the user can correct it there.
std::string ProposedTargetPath(const std::string& sourcePath);

// The target written without asking (torvane-cli without -o): the source path
// with the extension of its file name, from the name's last '.', replaced by
// ".h", or ".h" appended when the name has no '.'. A dot in a folder name is
// never cut at. Made from the path's own bytes.
std::string DefaultTargetPath(const std::string& sourcePath);

}  // namespace torvane
