#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/hex_record_scanner.h"
#include "platform/memory.h"

namespace torvane {

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

// The faults the window answers with kBadHexFileMessage: a record whose bytes
// are damaged, and a file that gives one place two values (damaged, or merged
// wrongly: the later record would win unseen).
inline constexpr bool IsDamagedRecord(HexFault fault) {
    return fault == HexFault::BadChecksum || fault == HexFault::BadDigit || fault == HexFault::TwoValues;
}

// A run of image indexes [from, to) that records wrote.
struct ImageRun {
    uint32_t from = 0;
    uint32_t to = 0;  // exclusive
    uint32_t size() const { return to - from; }
    bool operator==(const ImageRun&) const = default;
};

// What one call of DecodeHex found.
struct HexDecodeResult {
    int32_t code = 0;            // 1 when the file decoded whole: an end-of-file record reached, data found
    uint32_t ImageEnd = 0;       // one past the highest image index written
    uint32_t LowestAddress = 0;  // lowest absolute address of a data record; 0 when none
    bool foundData = false;      // a data record was placed
    HexFault fault = HexFault::NoText;
    // Where the decoding stopped: the line (1 for the first) and the byte offset
    // of the record, or of the text that is not one.
    uint32_t faultLine = 0;
    uint64_t faultOffset = 0;
    // For DataOutsideImage: the first address of the record that does not fit.
    uint32_t faultAddress = 0;
    // Where the program starts, when the file says so (a type 03 or 05 record,
    // an S-record start record, an ELF entry point).
    std::optional<uint32_t> start;
    // The reason of a fault whose words the fault kind alone does not give
    // (two values for one place, a fault of an S-record or ELF file).
    std::string reason;
    // What was read although it is not as it should be, one English line each
    // ("line 9: text after the end-of-file record is not read").
    std::vector<std::string> warnings;
    // The image indexes the records wrote, ascending, apart and joined where
    // they touch: between two runs lies a gap of the file, which the image
    // holds as 0x00.
    std::vector<ImageRun> dataRuns;
};

// The gaps between the runs of `runs` that lie in [from, end): the places
// between two records of a file that no record wrote. Bytes before the
// first run (a BIN that keeps the data before its offset) are no gap.
std::vector<ImageRun> GapsBetweenRuns(const std::vector<ImageRun>& runs, uint32_t from, uint32_t end);

// The message the callers show when a record's checksum does not match.
inline constexpr const char* kBadHexFileMessage = "错误的Hex文件！";

// Decodes the Intel HEX text into `image`, which the caller has zero-filled.
// A record that gives a place of the image a value another record gave it
// differently is a fault (TwoValues), whether the two name one address or two
// that meet in the image (0x00000010 and 0x08000010); the same value again is
// read, with a warning. A file without a data byte is a fault (NoData).
// Records are separated by line ends of any kind (CR LF, LF, CR), with blanks
// or tabs allowed before a line end and empty lines between records; the last
// record needs no line end. Anything else before, between or inside records
// ends the decoding. Type 02 and 04 records each set the base of the records
// after them, replacing the other's. Data records placed before a failure stay
// in the image. A record that would run past the text, or whose data would fall
// outside the image, is a failure: it is neither read past the text nor
// written, and nothing of it counts in the result. A pure function of the
// bytes: the caller decides what to show for each fault (the window shows
// kBadHexFileMessage for a damaged record).
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

// The file of a HEX row by its name's format: Intel HEX through DecodeHex,
// S-records and ELF files read whole and placed in the image by the same rules
// (the flash base taken off, data outside the 2 MiB image a fault).
HexDecodeResult DecodeRowFile(const std::string& name, std::span<const uint8_t> bytes, HexImage& image);
// The same without an image, for the segments of a row.
HexDecodeResult ScanRowFile(const std::string& name, std::span<const uint8_t> bytes, HexRecordSink& sink);

// One English line for a fault, as torvane-cli prints it after the file's name:
// "line 2: the record's checksum does not match".
std::string HexFaultReason(const HexDecodeResult& result);

}  // namespace torvane
