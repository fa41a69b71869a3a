#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/image_formats.h"

namespace torvane {

// A binary file as one segment at `base`; a file that would pass the end of
// the 32-bit space is refused.
ImageRead ReadBinary(std::span<const uint8_t> bytes, uint32_t base);

// The bytes of [from, to) of the image, each address without data as `fill`.
inline std::vector<uint8_t> WriteBinary(const SparseImage& image, uint32_t from, uint64_t to, uint8_t fill) {
    return to > from ? image.Read(from, to - from, fill) : std::vector<uint8_t>();
}

}  // namespace torvane
