#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/image_formats.h"
#include "platform/files.h"

namespace torvane {

// A binary file as one segment at `base`; a file that would pass the end of
// the 32-bit space is refused.
ImageRead ReadBinary(std::span<const uint8_t> bytes, uint32_t base);

// The bytes of [from, to) of the image, each address without data as `fill`.
inline std::vector<uint8_t> WriteBinary(const SparseImage& image, uint32_t from, uint64_t to, uint8_t fill) {
    return to > from ? image.Read(from, to - from, fill) : std::vector<uint8_t>();
}

// Hands the BIN of [from, to) to `sink`: the bytes of each piece at its place,
// `fill` at every address no piece holds; the parts of pieces outside the
// range are left out. The pieces are sorted by address and do not overlap.
// Each piece's bytes go on as they lie, without a copy. False when the sink
// refused a piece (the writer then stops).
bool WriteBinary(std::span<const PlacedBytes> pieces, uint32_t from, uint64_t to, uint8_t fill,
                 const ByteSink& sink);

}  // namespace torvane
