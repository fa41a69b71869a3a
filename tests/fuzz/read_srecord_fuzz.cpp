// The S-record reader and writer on any text: no read outside the text, a
// reason exactly for a fault, and what was read written and read back as the
// same segments (an image without a byte as a file refused for
// holding no data).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/srecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> text(data, data + size);
    const torvane::ImageRead r = torvane::ReadSRecords(text);
    if (r.ok() != r.reason.empty()) std::abort();
    if (!r.ok() && (r.line == 0 || r.offset > size)) std::abort();
    torvane::WriteOptions options;
    options.header = r.image.header;
    std::string problem;
    const std::string again = torvane::WriteSRecords(r.image, options, problem);
    const torvane::ImageRead back =
        torvane::ReadSRecords(std::span(reinterpret_cast<const uint8_t*>(again.data()), again.size()));
    // An image without a byte writes a file without data, which no reader takes.
    if (r.image.empty() ? back.fault != torvane::ReadFault::NoData
                        : !back.ok() || back.image.segments() != r.image.segments())
        std::abort();
    return 0;
}
