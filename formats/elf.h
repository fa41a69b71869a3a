#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "formats/image_formats.h"

namespace torvane {

// Reads an ELF file (32- or 64-bit, either byte order): the file bytes of
// every PT_LOAD program header placed at its physical (load) address, the
// flash address of initialised data rather than its RAM address; memory
// beyond a segment's file size is not data. The entry point is the start
// address. `origins` lists each placed segment. Refused with a reason: a file
// that is not ELF, a cut-off header or program header table, a segment whose
// bytes lie outside the file or outside the 32-bit space, a file without a
// single loadable byte (a relocatable object), a segment whose file size passes
// its memory size, two segments that give one address two values.
ImageRead ReadElf(std::span<const uint8_t> bytes);

// ReadElf without a copy of the bytes: the image stays empty (but for its
// start address) and `places` receives each load's bytes where they lie in
// `bytes`, sorted by address; origins and faults as ReadElf gives them.
// Nothing when two loads overlap, as only ReadElf compares their bytes.
std::optional<ImageRead> ReadElfInPlace(std::span<const uint8_t> bytes, std::vector<PlacedBytes>& places);

}  // namespace torvane
