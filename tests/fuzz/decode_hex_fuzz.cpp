// DecodeHex on any text: no read outside the text, no write outside the image,
// and the reported end always inside the image.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/decode_hex.h"
#include "platform/prompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static torvane::HexImage* image = new torvane::HexImage();
    torvane::SilentPrompts prompts;
    // An exactly sized copy, so a read past the text is caught.
    std::vector<uint8_t> text(data, data + size);
    const torvane::HexDecodeResult r =
        torvane::DecodeHex(size ? text.data() : nullptr, static_cast<uint32_t>(size), *image, prompts);
    if (r.ImageEnd > torvane::kHexImageSize) std::abort();
    if (r.code != 0 && r.code != 1) std::abort();
    if (!r.foundData && r.LowestAddress != 0) std::abort();
    return 0;
}
