// DecodeHex on any text: no read outside the text, no write outside the image,
// and the reported end always inside the image.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/decode_hex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static torvane::HexImage* image = new torvane::HexImage();
    // An exactly sized copy, so a read past the text is caught.
    std::vector<uint8_t> text(data, data + size);
    const torvane::HexDecodeResult r = torvane::DecodeHex(text, *image);
    if (r.ImageEnd > torvane::kHexImageSize) std::abort();
    if (r.code != 0 && r.code != 1) std::abort();
    if (!r.foundData && r.LowestAddress != 0) std::abort();
    // A fault is named exactly when no end record was reached, and it points
    // inside the text.
    if ((r.code == 1) != (r.fault == torvane::HexFault::None)) std::abort();
    if (r.fault != torvane::HexFault::None && r.fault != torvane::HexFault::NoText &&
        (r.faultLine == 0 || r.faultOffset > size))
        std::abort();
    if (torvane::HexFaultReason(r).empty() != (r.code == 1)) std::abort();
    return 0;
}
