// The ELF reader on any bytes: no read outside the file, a reason exactly for
// a refusal, and every placed range one of the file's own.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/elf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const torvane::ImageRead r = torvane::ReadElf(bytes);
    if (r.ok() != r.reason.empty()) std::abort();
    for (const torvane::LoadOrigin& o : r.origins)
        if (o.fileOffset > size || o.fileSize > size - o.fileOffset) std::abort();
    if (r.ok() && r.image.empty()) std::abort();
    return 0;
}
