#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/memory.h"

namespace torvane {

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

// A zero-filled byte buffer of a fixed size. Bytes that no record touches cost
// neither a fill nor (for the large images) more than a few page faults.
class ZeroBuffer {
public:
    explicit ZeroBuffer(size_t size) : bytes_(size, true) {}
    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }

private:
    ByteBuffer bytes_;
};

class HexImage : public ZeroBuffer {
public:
    HexImage() : ZeroBuffer(kHexImageSize) {}
    static constexpr uint32_t size() { return kHexImageSize; }
};

// Why a decoding stopped before an end-of-file record.
enum class HexFault : uint8_t {
    None,              // an end-of-file record was reached
    NoText,            // fewer than two characters
    NoRecordStart,     // no ':' where a record must start (the first one included)
    LfLineEnd,         // a record ends with a line feed alone, so the next is not where it must be
    CrLineEnd,         // a record ends with a carriage return alone
    RecordPastText,    // a record runs past the end of the text
    BadChecksum,       // the record's bytes do not sum to 0
    DataOutsideImage,  // a data record's bytes would lie outside the image
    UnknownType,       // a record type of 06 or above
    NoEndRecord,       // the text ended without an end-of-file record
};

// What one call of DecodeHex found.
struct HexDecodeResult {
    int32_t code = 0;            // 1 when an end-of-file record was reached, else 0
    uint32_t ImageEnd = 0;       // one past the highest image index written
    uint32_t LowestAddress = 0;  // lowest absolute address of a data record; 0 when none
    bool foundData = false;      // a data record was placed
    HexFault fault = HexFault::NoText;
    // Where the decoding stopped: the record (1 for the first; records stand one
    // per line, so also the line) and the byte offset of that record's start.
    // For a line-end fault, the record whose line end it is and the offset of
    // that line end.
    uint32_t faultRecord = 0;
    uint64_t faultOffset = 0;
};

// The message the callers show when a record's checksum does not match.
inline constexpr const char* kBadHexFileMessage = "错误的Hex文件！";

// Decodes the Intel HEX text into `image`, which the caller has zero-filled.
// Records must follow each other with exactly two line-end bytes between them;
// the first record that does not start where the previous one says ends the
// decoding. Data records placed before a failure stay in the image. A record
// that would run past the text, or whose data would fall outside the image, is
// a failure: it is neither read past the text nor written, and nothing of it
// counts in the result. A pure function of the bytes: the caller decides what
// to show for each fault (the window shows kBadHexFileMessage for a checksum).
HexDecodeResult DecodeHex(std::span<const uint8_t> text, HexImage& image);

// Told of each data record as a decoding places it.
class HexRecordSink {
public:
    virtual ~HexRecordSink() = default;
    // `address` is the record's absolute address, `index` where it lands in the
    // image; the record holds `count` bytes at `data`.
    virtual void OnData(uint32_t address, uint32_t index, const uint8_t* data, uint8_t count) = 0;
};

// The same decoding without an image: every data record DecodeHex would place
// goes to `sink` instead, and the result is the one DecodeHex gives.
HexDecodeResult ScanHex(std::span<const uint8_t> text, HexRecordSink& sink);

// One English line for a fault, as torvane-cli prints it after the file's name:
// "line 1: a record must end with CR LF; this file uses LF line ends".
std::string HexFaultReason(const HexDecodeResult& result);

}  // namespace torvane
