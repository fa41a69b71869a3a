#include "formats/binary.h"

#include <algorithm>
#include <cstring>

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

bool WriteBinary(std::span<const PlacedBytes> pieces, uint32_t from, uint64_t to, uint8_t fill,
                 const ByteSink& sink) {
    // The gaps go out in blocks of the fill byte; the file write gathers them.
    uint8_t block[16384];
    bool blockFilled = false;
    uint64_t at = from;
    auto fillUpTo = [&](uint64_t until) {
        if (until > at && !blockFilled) {
            std::memset(block, fill, sizeof block);
            blockFilled = true;
        }
        for (; at < until;) {
            const size_t now = static_cast<size_t>(std::min<uint64_t>(until - at, sizeof block));
            if (!sink(block, now)) return false;
            at += now;
        }
        return true;
    };
    for (const PlacedBytes& piece : pieces) {
        const uint64_t begin = std::max<uint64_t>(piece.address, at);
        const uint64_t end = std::min<uint64_t>(piece.address + static_cast<uint64_t>(piece.bytes.size()), to);
        if (begin >= end) continue;
        if (!fillUpTo(begin)) return false;
        if (!sink(piece.bytes.data() + (begin - piece.address), static_cast<size_t>(end - begin))) return false;
        at = end;
    }
    return fillUpTo(to);
}

}  // namespace torvane
