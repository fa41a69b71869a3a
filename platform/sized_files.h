#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory.h"

namespace torvane {

// Reading and padding files whose length an operation recorded earlier: when
// the file was chosen in a row, or when a conversion wrote it. The file may
// have been replaced or changed since, and these functions say so instead of
// working on a length that no longer holds.

enum class SizedReadStatus {
    Ok,           // the file holds exactly the expected bytes
    Unreadable,   // not a regular file, or it cannot be opened or read
    SizeChanged,  // its length is not the expected one
};

struct SizedRead {
    SizedReadStatus status = SizedReadStatus::Unreadable;
    ByteBuffer bytes;            // the whole file when Ok
    uint64_t actualLength = 0;   // the length found
};

// Reads a regular file that should be `expected` bytes long. The length is the
// number of bytes a read actually delivers, so a file that changes between a
// stat and the read is still seen; no more than expected + 1 bytes are read.
SizedRead ReadExpectedSize(const std::string& path, uint64_t expected);

enum class PadStatus {
    Padded,        // padding was appended
    NotNeeded,     // the length already was a multiple of the alignment
    OpenFailed,    // not a regular file, read-only, or it cannot be opened
    WriteFailed,   // the padding could not be written; the file keeps its old length
};

struct PadResult {
    PadStatus status = PadStatus::OpenFailed;
    uint64_t oldLength = 0;  // the length found when the file was opened
    uint64_t newLength = 0;  // the length afterwards
};

// Pads an existing regular file at its end with `fill` bytes to a multiple of
// `alignment` (2, 4 or 8), computed from the length of the opened file. The file
// is held under an exclusive lock while it is measured and padded, so two
// programs padding it at once cannot both append. The file is neither created
// nor truncated; a read-only file (no write bit) is refused, also for root.
PadResult PadFileEnd(const std::string& path, uint32_t alignment, uint8_t fill);

}  // namespace torvane
