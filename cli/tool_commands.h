#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

// The usage lines of the tool commands, for torvane-cli's usage text.
inline constexpr const char* kToolCommandsUsage =
    "  torvane-cli checksum METHOD (FILE | --data HEXTEXT)   sum8|sum16|sum32|sum64|md5|sha256|CRC preset\n"
    "  torvane-cli checksum crc --width N --poly HEX [--init HEX] [--refin] [--refout] [--xorout HEX] ...\n"
    "  torvane-cli checksum --list\n"
    "  torvane-cli testbin  -o OUT [--length N] [--start HEX] [--end HEX] [--fill HEX | --random]\n"
    "  torvane-cli bin2c    SOURCE [-o TARGET] [--type UINT8|uint8_t]\n";

// Each tool command's own usage: printed after a wrong command line and for
// "torvane-cli COMMAND --help".
inline constexpr const char* kBinToCUsage =
    "Usage: torvane-cli bin2c SOURCE [-o TARGET] [--type UINT8|uint8_t] [--no-sync]\n"
    "  --type UINT8     const UINT8 Bin_Tab[ ] (the default; the project defines UINT8)\n"
    "  --type uint8_t   #include <stdint.h> and const uint8_t Bin_Tab[ ]: compiles as it is\n";
inline constexpr const char* kChecksumUsage =
    "Usage: torvane-cli checksum METHOD (FILE | --data HEXTEXT)\n"
    "       torvane-cli checksum crc --width N --poly HEX [--init HEX] [--refin] [--refout] [--xorout HEX]\n"
    "                            (FILE | --data HEXTEXT)\n"
    "       torvane-cli checksum --list\n"
    "METHOD: sum8, sum16, sum32, sum64, md5, sha256, or a CRC preset by its name or alias\n"
    "(CRC-32/ISO-HDLC, crc32, crc32c, crc16-ccitt-false, xmodem, modbus, stm32, crc64, ...);\n"
    "--list prints every preset with its parameters and check value.\n";
inline constexpr const char* kTestBinUsage =
    "Usage: torvane-cli testbin -o OUT [--length N] [--start HEX] [--end HEX] [--fill HEX | --random]\n"
    "                           [--no-sync]\n"
    "  --length N   1 to 7 decimal digits\n"
    "  --start HEX, --end HEX   1 to 6 hex digits\n"
    "  --fill HEX   1 or 2 hex digits\n";

// The tool commands, one file each (cli/<tool>_command.cpp). `args` are the
// words after the command word; "--" ends the options. Each message box goes
// to `err` as one "CAPTION: TEXT" line and is answered OK; a failure's box is
// followed by its reason line. The exit status is kExitOk when the tool did its work,
// kExitFailed when it reported an error or its output could not be written,
// kExitUsage (with the command's usage on `err`) for a wrong command line: a
// value its dialog field could not hold, an option given twice.

// "checksum METHOD (FILE | --data HEXTEXT)": prints the check value text as the
// dialog shows it, on one line of `out`, and nothing else.
int RunChecksumCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// "testbin -o OUT [--length N] [--start HEX] [--end HEX] [--fill HEX | --random]":
// the generate command over the dialog's fields. Unset fields keep the values
// the dialog opens with (1024, 000000, random); without --end the end field is
// the one the length sets. Writes nothing to `out`.
int RunTestBinCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// "bin2c SOURCE [-o TARGET] [--type UINT8|uint8_t]": the convert command; the
// target defaults to DefaultTargetPath of the source, the type to UINT8.
// Writes nothing to `out`.
int RunBinToCCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace torvane::cli
