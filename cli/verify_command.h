#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

inline constexpr const char* kVerifyUsage =
    "Usage: torvane-cli verify IMAGE (--field FIELD ... | --config PROJECT.ini) [--base HEX] [--fill HEX]\n"
    "  Checks that each field's stored value equals the value computed over its range, in\n"
    "  the image as it stands. Prints each field with its stored and computed values.\n"
    "  FIELD NAME@AT:START-END[:be] as stamp and merge take it; its addresses are the image's,\n"
    "                   and end and start name the image before the fields written at its end.\n"
    "  --config PROJECT.ini  the project's merge fields: the addresses its map shows, which are\n"
    "                   IMAGE's own for a merge into HEX or S-records or at a base; positions in\n"
    "                   the merged image (a project before 1.3.0, a BIN without a base), whose\n"
    "                   first byte is IMAGE's lowest address\n"
    "  --base HEX       the address of a BIN image's first byte (default 0)\n"
    "  --fill HEX       the byte of range addresses the image lacks (default FF, as stamp)\n"
    "  Exit status: 0 every field matches, 1 one does not, 2 trouble (an image or project that\n"
    "  cannot be read, fields that cannot be a stamped sequence, a wrong command line).\n";

// "verify IMAGE --field FIELD ...": checks integrity fields in an image.
int RunVerifyCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace torvane::cli
