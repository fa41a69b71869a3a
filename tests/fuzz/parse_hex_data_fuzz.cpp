// Typed check-value data on any text, and every method over what it yields.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/checksum/check_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto bytes = torvane::ParseHexData(text);
    if (!bytes) return 0;
    if (bytes->empty() || bytes->size() > size / 2) std::abort();
    for (int m = 0; m < torvane::kChecksumMethodCount; ++m) {
        const std::string value = torvane::ComputeCheckValue(static_cast<torvane::ChecksumMethod>(m), *bytes);
        if (value.empty()) std::abort();
    }
    return 0;
}
