#include "formats/binary.h"

#include "platform/format.h"

namespace torvane {

ImageRead ReadBinary(std::span<const uint8_t> bytes, uint32_t base) {
    ImageRead read;
    if (!read.image.Write(base, bytes)) {
        read.fault = ReadFault::OutsideSpace;
        read.reason = Format("%llu bytes at 0x%08X would pass the end of the 32-bit address space",
                             static_cast<unsigned long long>(bytes.size()), base);
    }
    return read;
}

}  // namespace torvane
