#include "formats/image_formats.h"

#include "formats/binary.h"
#include "formats/elf.h"
#include "formats/intel_hex.h"
#include "formats/srecord.h"

namespace torvane {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EndsInAnyCase(std::string_view name, std::string_view tail) {
    if (name.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (LowerAscii(name[name.size() - tail.size() + i]) != tail[i]) return false;
    return true;
}

ImageFormat FormatOfName(std::string_view name) {
    for (const char* tail : {".s19", ".s28", ".s37", ".srec", ".mot", ".sx"})
        if (EndsInAnyCase(name, tail)) return ImageFormat::SRecord;
    for (const char* tail : {".elf", ".axf", ".out"})
        if (EndsInAnyCase(name, tail)) return ImageFormat::Elf;
    if (EndsInAnyCase(name, "hex") || EndsInAnyCase(name, ".ihx")) return ImageFormat::IntelHex;
    return ImageFormat::Binary;
}

const char* FormatName(ImageFormat format) {
    switch (format) {
        case ImageFormat::IntelHex: return "Intel HEX";
        case ImageFormat::SRecord: return "S-record";
        case ImageFormat::Elf: return "ELF";
        case ImageFormat::Binary: break;
    }
    return "binary";
}

ImageRead ReadImage(ImageFormat format, std::span<const uint8_t> bytes, uint32_t base) {
    switch (format) {
        case ImageFormat::IntelHex: return ReadIntelHex(bytes);
        case ImageFormat::SRecord: return ReadSRecords(bytes);
        case ImageFormat::Elf: return ReadElf(bytes);
        case ImageFormat::Binary: break;
    }
    return ReadBinary(bytes, base);
}

std::string WriteImage(ImageFormat format, const SparseImage& image, const WriteOptions& options,
                       std::string& problem) {
    if (options.recordSize < 1 || options.recordSize > 255) {
        problem = "a record holds 1 to 255 data bytes";
        return std::string();
    }
    if (format == ImageFormat::IntelHex) return WriteIntelHex(image, options.recordSize);
    if (format == ImageFormat::SRecord) return WriteSRecords(image, options, problem);
    problem = "only Intel HEX and S-records are written as records";
    return std::string();
}

}  // namespace torvane
