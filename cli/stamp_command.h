#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

inline constexpr const char* kStampUsage =
    "Usage: torvane-cli stamp IMAGE -o OUT --field FIELD [--field FIELD ...] [--base HEX] [--fill HEX] [--in-place]\n"
    "         [--no-sync]\n"
    "  FIELD NAME@AT:START-END[:be]: NAME a CRC preset (crc32, crc32c, crc16-ccitt-false, xmodem,\n"
    "       modbus, stm32, crc64, CRC-32/ISO-HDLC ...) or a custom one as\n"
    "       crc/WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT (crc/16/8BB7/0/0/0/0), add8|add16|add32 (plain sums),\n"
    "       sum8|sum16|sum32|sum64 (the check tool's), length32 or sha256; AT, START, END in hex\n"
    "       (END is the range's last address), or the words AT end (one past the image's highest\n"
    "       address, after earlier fields), START start (its lowest), END end (its highest):\n"
    "       crc32@end:start-end; little-endian unless :be\n"
    "  IMAGE and OUT: BIN, Intel HEX or S-records by their names (a BIN image at --base, default 0)\n"
    "  --fill HEX   the byte of range bytes the image lacks and of the gap before a field past its end (FF)\n";

// "stamp IMAGE -o OUT --field FIELD ...": writes integrity fields, in their
// order, into an image and saves it. Prints one line per field.
int RunStampCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace torvane::cli
