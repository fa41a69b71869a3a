// The sparse Intel HEX reader and writer on any text: no read outside the
// text, a reason exactly for a fault, and what was read written and read back
// as the same segments (an image without a byte as a file refused for
// holding no data).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/intel_hex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> text(data, data + size);
    const torvane::ImageRead r = torvane::ReadIntelHex(text);
    if (r.ok() != r.reason.empty()) std::abort();
    if (r.image.dataSize() > size) std::abort();
    const std::string again = torvane::WriteIntelHex(r.image);
    const torvane::ImageRead back =
        torvane::ReadIntelHex(std::span(reinterpret_cast<const uint8_t*>(again.data()), again.size()));
    // An image without a byte writes a file without data, which no reader takes.
    if (r.image.empty() ? back.fault != torvane::ReadFault::NoData
                        : !back.ok() || back.image.segments() != r.image.segments())
        std::abort();
    return 0;
}
