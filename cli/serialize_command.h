#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

inline constexpr const char* kSerializeUsage =
    "Usage: torvane-cli serialize TEMPLATE -o PATTERN --serial AT:KIND --from N --count K [--step S]\n"
    "                             [--mac AT --mac-from MAC [--mac-step S]] [--field FIELD ...]\n"
    "                             [--manifest FILE.csv] [--allow-reuse] [--force] [--config PROJECT.ini]\n"
    "                             [--base HEX] [--fill HEX] [--no-sync]\n"
    "       torvane-cli run serialize --config PROJECT.ini --count K [--allow-reuse] [--force] [--no-sync]\n"
    "  One image per device from TEMPLATE (any format, by its name; a BIN at --base, default 0).\n"
    "  --serial AT:KIND  the serial number's place and form: KIND u8, u16, u32 or u64 (binary,\n"
    "                    little-endian; add :be for big-endian), dec:W (W ASCII decimal digits,\n"
    "                    zero-padded) or hex:W (W upper-case ASCII hex digits); AT in hex\n"
    "  --from N, --count K, --step S   decimal, or hex after 0x; the step is 1 unless given\n"
    "  --mac AT --mac-from MAC   a MAC address per image, its 6 bytes in the order sent\n"
    "                    (MAC as 00:11:22:AA:BB:CC); --mac-step S between images (1)\n"
    "  --field FIELD     as stamp takes it (NAME@AT:START-END[:be]), written after the serial\n"
    "                    and the MAC in the order given, so a CRC may cover them\n"
    "  -o PATTERN        the names: {serial} (decimal), {serial:hex} (upper-case hex), {mac}\n"
    "                    (12 hex digits, 001122AABBCC); {{ and }} for braces; all in one folder;\n"
    "                    the format by the ending (.hex, .s19 .srec ..., else BIN)\n"
    "  --manifest FILE   a CSV line per image (serial,mac,file,size,one per field,sha256),\n"
    "                    appended and synced as the images are; a number or MAC it records\n"
    "                    already is refused unless --allow-reuse\n"
    "  --force           replace files that hold an output name (never the template)\n"
    "  --config PROJECT  keep the settings and the next number in the project (made if missing);\n"
    "                    run serialize continues from there, after any number the manifest\n"
    "                    records past the project's next\n"
    "  --fill HEX        the byte of gaps a range or a value past the image's end makes (FF)\n"
    "  --no-sync         do not wait for the disk: without it, each group of images is synced\n"
    "                    before the images take their names and before their lines count\n";

// "serialize TEMPLATE -o PATTERN --serial AT:KIND --from N --count K ...":
// writes the images, prints a line per image and a summary.
int RunSerializeCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// "run serialize --config PROJECT --count K": the project's run, continued.
int RunProjectSerializeCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace torvane::cli
