#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "formats/image_formats.h"

namespace torvane {

// Reads an Intel HEX text with the shared record scanner (the rules of
// DecodeHex), into the whole 32-bit space. A type 05 record gives the start
// address, and so does a type 03 record (segment * 16 + offset).
ImageRead ReadIntelHex(std::span<const uint8_t> text);

// Writes the image as Intel HEX with CR LF line ends: `recordSize` data bytes
// a record (no record crosses a 64 KiB boundary), a type 04 record where the
// upper half of the address changes, a type 05 record when the image has a
// start address, and the end record.
std::string WriteIntelHex(const SparseImage& image, uint32_t recordSize = 16);

}  // namespace torvane
