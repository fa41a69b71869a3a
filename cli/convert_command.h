#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/image_formats.h"

namespace torvane::cli {

inline constexpr const char* kConvertUsage =
    "Usage: torvane-cli convert IN -o OUT [--to hex|srec|bin] [--base HEX] [--record-size N]\n"
    "         [--srec-type 1|2|3] [--fill HEX] [--fill-to START-END] [--crop START-END] [--no-sync]\n";

// "convert IN -o OUT [--to hex|srec|bin] ...": any format the readers know to
// Intel HEX, S-records or BIN, over the whole 32-bit space. Exit 0 when OUT
// was written, 1 when IN could not be read or converted or OUT not written.
int RunConvertCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Saves `image` as `target`: a BIN of [from, until) with `fill` in the gaps, or
// the records of a text format (its S0 header the output's file name). False,
// with the problem on `err`, when it cannot be made or written.
bool SaveImage(ImageFormat target, const SparseImage& image, uint32_t from, uint64_t until, uint8_t fill,
               WriteOptions write, const std::string& outPath, std::FILE* err);

// "info FILE": the segments, the start address and, for ELF, the program
// header of each range, of a file of any format but Intel HEX.
int RunFormatInfo(const std::string& path, const std::vector<uint8_t>& bytes, bool json, std::FILE* out,
                  std::FILE* err);

}  // namespace torvane::cli
