#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/sparse_image.h"
#include "platform/files.h"

namespace torvane {

// The file formats the readers and writers of formats/ know.
enum class ImageFormat { Binary, IntelHex, SRecord, Elf };

// The format a file's name asks for: a name ending in "hex" in any case or in
// ".ihx" is Intel HEX; ".s19", ".s28", ".s37", ".srec", ".mot", ".sx" (any
// case) S-records; ".elf", ".axf", ".out" ELF; anything else binary.
ImageFormat FormatOfName(std::string_view name);
// Whether `name` ends in `tail` (given in lower-case ASCII) in any letter case.
bool EndsInAnyCase(std::string_view name, std::string_view tail);
// "Intel HEX", "S-record", "ELF", "binary".
const char* FormatName(ImageFormat format);
// The word that names a format in options and projects: "bin", "hex", "srec",
// "elf"; FormatOfKeyword reads it back in any case.
const char* FormatKeyword(ImageFormat format);
std::optional<ImageFormat> FormatOfKeyword(std::string_view word);
// `path` with a file name that asks for `format`: unchanged when it does, else
// its extension of a known image format (or none) replaced by ".bin", ".hex"
// or ".srec" ("Merge.Bin" becomes "Merge.hex").
std::string WithFormatExtension(std::string_view path, ImageFormat format);

// Why a reader stopped.
enum class ReadFault : uint8_t {
    None,
    Syntax,          // text that is not a record where one must be
    CutOff,          // a record or header cut off by the end of the file
    BadDigit,        // a character of a record that is not a hex digit
    BadChecksum,     // a record whose checksum does not match
    BadRecord,       // a record of the wrong length or kind for its place
    BadCount,        // an S5/S6 count that is not the number of data records
    OutsideSpace,    // data past the 32-bit address space
    NoEnd,           // the text ended without its end record
    NotThisFormat,   // not an ELF file
    BadHeader,       // an ELF header or program header table that cannot be
    NoData,          // a file without a single byte of data
    TwoValues,       // one address given two different values
    AfterEnd,        // an Intel HEX record after the end-of-file record
};

// Where one range of an ELF file's image came from.
struct LoadOrigin {
    uint32_t index = 0;           // the program header's number, from 0
    uint32_t physicalAddress = 0;  // where its bytes are placed
    uint64_t virtualAddress = 0;
    uint64_t fileOffset = 0;
    uint64_t fileSize = 0;
    uint64_t memorySize = 0;
};

// What a reader found. The segments read before a fault stay in `image`.
struct ImageRead {
    SparseImage image;
    ReadFault fault = ReadFault::None;
    uint32_t line = 0;    // of the record at fault, 1 for the first (text formats)
    uint64_t offset = 0;  // byte offset of the record or header at fault
    std::string reason;   // one English line, empty when fine
    // What was read although it is not as it should be, one English line
    // each, as torvane-cli prints it after "warning: ".
    std::vector<std::string> warnings;
    std::vector<LoadOrigin> origins;  // ELF only
    bool ok() const { return fault == ReadFault::None; }
    // A record whose bytes are damaged: the window answers it as for a HEX file.
    bool damaged() const { return fault == ReadFault::BadDigit || fault == ReadFault::BadChecksum; }
};

// Told now and then, by the record readers, how far they have come: the
// offset before which they need none of the bytes any more, so a view of the
// file can give those pages back (FileView::Release). A reader may still go
// back over earlier bytes to name the line of a fault.
using ReadProgress = std::function<void(uint64_t offset)>;

// Reads `bytes` as `format`; a binary file's first byte lies at `base`.
ImageRead ReadImage(ImageFormat format, std::span<const uint8_t> bytes, uint32_t base = 0,
                    const ReadProgress& progress = {});

// How a writer lays out its records.
struct WriteOptions {
    uint32_t recordSize = 16;  // data bytes per record, 1..255
    int srecType = 0;          // 1, 2, 3, or 0 for the smallest that holds every address
    std::string header;        // an S-record file's S0 text (the output's file name)
};

// Why the options cannot hold `image` in a record format (IntelHex or
// SRecord), or empty when they can: asked before a file is opened.
std::string WriteProblem(ImageFormat format, const SparseImage& image, const WriteOptions& options);
// The text of `image` in a record format, handed to `sink` in pieces of about
// 1 MiB, so a file is written without the whole text in memory. False when
// the options cannot hold the image (the reason in `problem`, nothing handed
// on) or the sink refused a piece (`problem` empty).
bool WriteImage(ImageFormat format, const SparseImage& image, const WriteOptions& options, const ByteSink& sink,
                std::string& problem);
// The same text, whole. Empty, with the reason in `problem`, when the options
// cannot hold the image.
std::string WriteImage(ImageFormat format, const SparseImage& image, const WriteOptions& options,
                       std::string& problem);

}  // namespace torvane
