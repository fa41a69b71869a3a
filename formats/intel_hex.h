#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "formats/hex_record_scanner.h"
#include "formats/image_formats.h"
#include "platform/files.h"

namespace torvane {

// Reads an Intel HEX text with the shared record scanner (the rules of
// DecodeHex), into the whole 32-bit space. A type 05 record gives the start
// address, and so does a type 03 record (segment * 16 + offset). An address
// given two values is a fault, the same value again a warning; so is a file
// without data. `where`, when given, receives the scanner's stop; `progress`
// is told how far the reading has come (ReadProgress).
ImageRead ReadIntelHex(std::span<const uint8_t> text, HexScanStop* where = nullptr, const ReadProgress& progress = {});

// Writes the image as Intel HEX with CR LF line ends: `recordSize` data bytes
// a record (no record crosses a 64 KiB boundary), a type 04 record where the
// upper half of the address changes, a type 05 record when the image has a
// start address, and the end record. The text goes to `sink` in pieces of
// about 1 MiB; false when the sink refused one (the writer then stops).
bool WriteIntelHex(const SparseImage& image, uint32_t recordSize, const ByteSink& sink);
// The same text, whole.
std::string WriteIntelHex(const SparseImage& image, uint32_t recordSize = 16);

}  // namespace torvane
