#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

inline constexpr const char* kDiffUsage =
    "Usage: torvane-cli diff A B [--base-a HEX] [--base-b HEX] [--fill HEX] [--range START-END]\n"
    "                        [--bytes N] [--format text|json]\n"
    "  Compares two images by address: A and B in any format (by their names: Intel HEX,\n"
    "  S-records, ELF at its load addresses, else BIN). Prints each range that differs, that\n"
    "  only A holds and that only B holds, with its size, and for a differing range its first\n"
    "  differing bytes (address, A's byte, B's byte); then a summary line.\n"
    "  --base-a HEX, --base-b HEX   the address of a BIN file's first byte (default 0)\n"
    "  --fill HEX       an address only one file holds compares with this byte in the other\n"
    "                   (so a gap equals 0xFF-filled flash with --fill FF)\n"
    "  --range START-END  compare only these addresses (END the last one, as --crop takes it)\n"
    "  --bytes N        differing bytes shown per range (default 8, 0 for none)\n"
    "  --format json    the same as JSON\n"
    "  Exit status: 0 the images are the same, 1 they differ, 2 trouble (a file that cannot be\n"
    "  read, a wrong command line), as diff(1) and cmp(1).\n";

// "diff A B ...": prints the ranges where two images differ. Exit 0 when
// they hold the same bytes, 1 when they differ, 2 when a file cannot be
// read or the command line is wrong.
int RunDiffCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace torvane::cli
