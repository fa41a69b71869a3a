#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "checks/crc.h"
#include "formats/sparse_image.h"

namespace torvane {

// What a field holds.
enum class FieldKind {
    Crc,              // a CRC preset; the field is as wide as the CRC
    Sum,              // the plain sum of the bytes, cut to 8, 16 or 32 bits (add8 ...)
    ComplementedSum,  // the check tool's sum of 8, 16, 32 or 64 bits (sum8 ...)
    Length,           // the number of bytes of the range, 32 bits (length32)
    Sha256,           // the SHA-256 digest, 32 bytes in digest order
};

// Where a field's position or a bound of its range comes from: its number, or
// a word that names a place of the image, resolved once the image is known
// (ResolveFields). "The image" is the image as it stands when the field is
// written: the files, and the fields written before this one.
enum class FieldWord : uint8_t {
    Number,  // the number in at, start or end
    Start,   // "start", a range's start: the image's first address
    End,     // "end": as the position, the first address after the image's last
             // byte (the field is appended); as a range's end, that last byte
};

// One integrity field: a value computed over the bytes of an address range
// [start, end] and written at `at`, in little-endian order unless bigEndian.
struct FieldSpec {
    FieldKind kind = FieldKind::Crc;
    const CrcPreset* crc = nullptr;  // Crc: the preset, or nullptr for a custom model
    CrcModel model;                  // Crc: the model computed (the preset's, or the custom one)
    CrcFeed feed = CrcFeed::Bytes;
    int bits = 0;                    // Sum, ComplementedSum, Length: the value's width
    uint32_t at = 0;
    uint32_t start = 0;
    uint32_t end = 0;  // inclusive
    bool bigEndian = false;
    // A word instead of the number: at may be End, start may be Start, end may be End.
    FieldWord atWord = FieldWord::Number;
    FieldWord startWord = FieldWord::Number;
    FieldWord endWord = FieldWord::Number;

    // Whether a word stands for one of its addresses.
    bool Symbolic() const {
        return atWord != FieldWord::Number || startWord != FieldWord::Number || endWord != FieldWord::Number;
    }
    uint32_t Width() const;  // bytes the field takes
    uint64_t FieldEnd() const { return static_cast<uint64_t>(at) + Width(); }  // one past its last byte
    // "CRC-32/ISO-HDLC", "crc/16/1021/FFFF/0/0/0", "add16", "sum32", "length32", "sha256"
    std::string Name() const;
};

// Reads NAME@AT:START-END with an optional ":be" (or ":le"): NAME a CRC preset
// by name or alias in any case, a custom CRC as
// crc/WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT (width in decimal, 8 to 64; the
// values in hex; REFIN and REFOUT 0 or 1), add8|add16|add32, sum8|sum16|sum32|sum64,
// length32 or sha256; AT, START and END 1 to 8 hex digits with an optional
// "0x", or the words (in any case) "end" for AT, "start" for START and "end"
// for END: crc32@end:start-end appends the CRC of the whole image before it.
// Nothing, with the reason, for any other text.
std::optional<FieldSpec> ParseFieldSpec(std::string_view text, std::string* why = nullptr);
// The text ParseFieldSpec reads back as the same field
// ("CRC-32/ISO-HDLC@7FFC:0-7FFB", "CRC-32/ISO-HDLC@end:start-end").
std::string FieldSpecText(const FieldSpec& field);

// The fields with every word replaced by its address, in the order they are
// written into an image whose first address is `first` and that ends (one
// past its last byte) at `imageEnd`: "start" is `first`; a field's "end" is
// where the image ends when that field is written, after every earlier field
// (a field past the end extends it). Nothing, with the reason, when a word
// names no address: a position past the 32-bit address space, the last byte
// of an image that holds none.
std::optional<std::vector<FieldSpec>> ResolveFields(std::span<const FieldSpec> fields, uint32_t first,
                                                    uint64_t imageEnd, std::string* why = nullptr);

// The same for an image the fields are already written into, which ends (one
// past its last byte) at `writtenEnd`: the image before them is taken as long
// as it can be, so that the fields appended to it end where the image ends (a
// CRC-32 at "end" is then its last four bytes, as the merge or the stamp
// wrote it). Nothing, with the reason, when no image before them fits.
std::optional<std::vector<FieldSpec>> ResolveFieldsInWrittenImage(std::span<const FieldSpec> fields, uint32_t first,
                                                                  uint64_t writtenEnd, std::string* why = nullptr);

// What FieldsProblem finds wrong whatever the image: a range whose end is
// before its start, a field inside its own range, two fields that overlap, a
// field inside the range of an earlier one. Only fields without words are
// compared (the others wait for the image); the rules hold wherever the image
// starts, as they move together with it.
std::optional<std::string> FieldsShapeProblem(std::span<const FieldSpec> fields);

// Every name a field can take, for a list to choose from: the CRC presets by
// their catalogue names, then add8, add16, add32, sum8 to sum64, length32, sha256.
std::vector<std::string> FieldNames();
// The value the field computes over the nine ASCII bytes "123456789" (for a
// CRC preset, its catalogue check value), as the check tool shows it: what a
// bootloader's routine must give for the same bytes.
std::string FieldCheckText(const FieldSpec& field);

// Why the fields (without words: ResolveFields) cannot be written, in their
// order, into an image that starts at `first` and may reach (not including) `limit`: a field inside its
// own range (a length may be: it counts bytes, whatever they hold), a field
// inside the range of one written before it (whose value it would make
// wrong, unless that one is a length), two fields that overlap, a field or
// range below `first` or past `limit`, a range whose end is before its start.
// Nothing when they can. A field may cover the fields written before it.
std::optional<std::string> FieldsProblem(std::span<const FieldSpec> fields, uint32_t first, uint64_t limit);

// One past the image's last byte once the fields are written into an image
// that ends (one past its last byte) at `imageEnd`: a field past the end
// extends it.
uint64_t ImageEndWithFields(std::span<const FieldSpec> fields, uint64_t imageEnd);
// Why the fields cannot be written into an image that ends at `imageEnd`: a
// field past the end would make it grow (the fill up to the field and the
// field) by more than `growthLimit` bytes. Checked before the image grows.
std::optional<std::string> FieldsGrowthProblem(std::span<const FieldSpec> fields, uint64_t imageEnd,
                                               uint64_t growthLimit);

// One field as it was written.
struct WrittenField {
    FieldSpec field;
    std::vector<uint8_t> bytes;  // as written, in the field's byte order
    std::string valueText;       // the value as the check tool shows such a value
};

// Writes the fields, in their order: a later field sees the bytes an earlier
// one wrote. Bytes of a range that the image does not hold count as `fill`
// and are never built: a range that is mostly gap costs no memory. The
// fields must have passed FieldsProblem.
//
// Over a sparse image (the addresses are its own). A field past the image's
// end extends it: the bytes from its end up to the field take `fill`. The
// caller bounds that growth (ImageEndWithFields) before it is made.
std::vector<WrittenField> WriteFields(SparseImage& image, uint8_t fill, std::span<const FieldSpec> fields);

// Over a buffer that can hold every field (FieldsProblem's `limit`
// from `first`), whose first `length` bytes are the image; `length` grows to
// the end of a field past it, the bytes between taking `fill`.
std::vector<WrittenField> WriteFields(std::span<uint8_t> buffer, uint64_t& length, uint32_t first, uint8_t fill,
                                      std::span<const FieldSpec> fields);

}  // namespace torvane
