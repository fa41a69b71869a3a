#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace torvane {

// One past the highest 32-bit address.
inline constexpr uint64_t kAddressSpaceEnd = 0x100000000ull;

// A run of bytes at consecutive addresses.
struct ImageSegment {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
    // One past the last address (up to 2^32).
    uint64_t end() const { return address + static_cast<uint64_t>(bytes.size()); }
    bool operator==(const ImageSegment&) const = default;
};

// Bytes at an address, borrowed from where they lie: an image's segment, or a
// range of an input file read in place.
struct PlacedBytes {
    uint32_t address = 0;
    std::span<const uint8_t> bytes;
    uint64_t end() const { return address + static_cast<uint64_t>(bytes.size()); }
};

// The contents of a firmware file over the whole 32-bit address space: sorted
// segments that neither overlap nor touch (touching writes join one segment),
// no bytes held for the gaps. Every reader of formats/ gives one, every writer
// takes one.
class SparseImage {
public:
    const std::vector<ImageSegment>& segments() const { return segments_; }
    bool empty() const { return segments_.empty(); }
    // The lowest address holding data, and one past the highest (both 0 when empty).
    uint32_t lowest() const { return empty() ? 0 : segments_.front().address; }
    uint64_t end() const { return empty() ? 0 : segments_.back().end(); }
    // The bytes of data held, gaps not counted.
    uint64_t dataSize() const;
    // The segments as placed bytes, borrowed from the image.
    std::vector<PlacedBytes> places() const;

    // Writes `bytes` at `address`; a later write replaces the bytes an earlier
    // one put at the same addresses. False, and nothing written, when the bytes
    // would pass the end of the 32-bit space.
    bool Write(uint32_t address, std::span<const uint8_t> bytes);

    // What WriteNew found at the addresses it writes.
    enum class NewWrite { Written, Repeated, OutsideSpace, OtherValue };
    struct Clash {
        uint32_t address = 0;  // the first address of the write that already held data
        uint8_t held = 0;      // the byte there before
        uint8_t given = 0;     // the byte the write gives it
    };
    // A reader's write: as Write, but bytes that already hold data must keep
    // their value. OtherValue, with the first such address in `clash`, and
    // nothing written, when one would change; Repeated (written, `clash` the
    // first repeated byte) when some held the same value already. Writes in
    // ascending order cost no more than Write's.
    NewWrite WriteNew(uint32_t address, std::span<const uint8_t> bytes, Clash& clash);
    // `length` bytes from `address`, each address without data as `fill`.
    // Addresses past the 32-bit space read as `fill` too.
    std::vector<uint8_t> Read(uint32_t address, uint64_t length, uint8_t fill) const;
    void ReadInto(uint32_t address, std::span<uint8_t> out, uint8_t fill) const;
    // Gives every address of [from, to) without data the byte `fill`: the
    // range becomes one segment when it touches no other.
    void FillRange(uint32_t from, uint64_t to, uint8_t fill);
    // Drops every byte outside [from, to).
    void Crop(uint32_t from, uint64_t to);
    // Whether any address of [from, to) holds data.
    bool HasDataIn(uint32_t from, uint64_t to) const;

    // Where the program starts, when the file said so (a HEX type 03/05
    // record, an S-record S7/S8/S9 record, an ELF entry point).
    std::optional<uint32_t> start;
    // The text of an S-record file's S0 header, as read.
    std::string header;

    bool operator==(const SparseImage&) const = default;

private:
    std::vector<ImageSegment> segments_;
};

}  // namespace torvane
