#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace torvane {

class Prompts;

// Intel HEX record types.
enum class RecordType : uint8_t {
    Data = 0x00,
    EndOfFile = 0x01,
    ExtendedSegmentAddress = 0x02,
    StartSegmentAddress = 0x03,
    ExtendedLinearAddress = 0x04,
    StartLinearAddress = 0x05,
};

// The flat image a HEX file is decoded into: 2 MiB, zero-filled when made.
inline constexpr uint32_t kHexImageSize = 0x200000;

// Addresses from here on are placed at address - kFlashBase.
inline constexpr uint32_t kFlashBase = 0x08000000;

// The image index of an absolute address: the flash base is taken off once.
inline constexpr uint32_t ImageIndexOf(uint32_t address) {
    return address < kFlashBase ? address : address - kFlashBase;
}

// A zero-filled byte buffer of a fixed size. calloc hands out fresh zero pages,
// so bytes that no record touches cost neither a fill nor a page fault.
class ZeroBuffer {
public:
    explicit ZeroBuffer(size_t size) : bytes_(static_cast<uint8_t*>(std::calloc(size, 1))) {
        if (!bytes_) throw std::bad_alloc();
    }
    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, Free> bytes_;
};

class HexImage : public ZeroBuffer {
public:
    HexImage() : ZeroBuffer(kHexImageSize) {}
    static constexpr uint32_t size() { return kHexImageSize; }
};

// What one call of DecodeHex found.
struct HexDecodeResult {
    int32_t code = 0;            // 1 when an end-of-file record was reached, else 0
    uint32_t ImageEnd = 0;       // one past the highest image index written
    uint32_t LowestAddress = 0;  // lowest absolute address of a data record; 0 when none
    bool foundData = false;      // a data record was placed
};

// The message shown when a record's checksum does not match.
inline constexpr const char* kBadHexFileMessage = "错误的Hex文件！";

// Decodes the Intel HEX text of `n` bytes into `image`, which the caller has
// zero-filled. Records must follow each other with exactly two line-end bytes
// between them; the first record that does not start where the previous one
// says ends the decoding. Data records placed before a failure stay in the image.
// A checksum mismatch shows kBadHexFileMessage through `prompts`; every other
// failure is silent. A record that would run past the text, or whose data would
// fall outside the image, is a failure: it is neither read past the text nor
// written, and nothing of it counts in the result. `text` may be null (code 0).
HexDecodeResult DecodeHex(const uint8_t* text, uint32_t n, HexImage& image, Prompts& prompts);

}  // namespace torvane
