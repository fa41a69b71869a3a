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

const char* FormatKeyword(ImageFormat format) {
    switch (format) {
        case ImageFormat::IntelHex: return "hex";
        case ImageFormat::SRecord: return "srec";
        case ImageFormat::Elf: return "elf";
        case ImageFormat::Binary: break;
    }
    return "bin";
}

std::optional<ImageFormat> FormatOfKeyword(std::string_view word) {
    for (const ImageFormat f : {ImageFormat::Binary, ImageFormat::IntelHex, ImageFormat::SRecord, ImageFormat::Elf}) {
        const std::string_view keyword = FormatKeyword(f);
        if (word.size() == keyword.size() && EndsInAnyCase(word, keyword)) return f;
    }
    return std::nullopt;
}

std::string WithFormatExtension(std::string_view path, ImageFormat format) {
    if (FormatOfName(path) == format) return std::string(path);
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    std::string_view stem = path;
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
        const std::string_view extension = path.substr(dot);
        // Only an image's own extension gives way: "v1.2" keeps its ".2".
        const bool image = FormatOfName(extension) != ImageFormat::Binary || EndsInAnyCase(extension, ".bin");
        if (image && extension.size() > 1) stem = path.substr(0, dot);
    }
    const char* extension = format == ImageFormat::IntelHex ? ".hex" : format == ImageFormat::SRecord ? ".srec"
                            : format == ImageFormat::Elf   ? ".elf"
                                                           : ".bin";
    return std::string(stem) + extension;
}

ImageRead ReadImage(ImageFormat format, std::span<const uint8_t> bytes, uint32_t base, const ReadProgress& progress) {
    switch (format) {
        case ImageFormat::IntelHex: return ReadIntelHex(bytes, nullptr, progress);
        case ImageFormat::SRecord: return ReadSRecords(bytes, progress);
        case ImageFormat::Elf: return ReadElf(bytes);
        case ImageFormat::Binary: break;
    }
    return ReadBinary(bytes, base);
}

std::string WriteProblem(ImageFormat format, const SparseImage& image, const WriteOptions& options) {
    if (options.recordSize < 1 || options.recordSize > 255) return "a record holds 1 to 255 data bytes";
    if (format == ImageFormat::IntelHex) return std::string();
    if (format == ImageFormat::SRecord) return SRecordsProblem(image, options);
    return "only Intel HEX and S-records are written as records";
}

bool WriteImage(ImageFormat format, const SparseImage& image, const WriteOptions& options, const ByteSink& sink,
                std::string& problem) {
    problem = WriteProblem(format, image, options);
    if (!problem.empty()) return false;
    if (format == ImageFormat::IntelHex) return WriteIntelHex(image, options.recordSize, sink);
    return WriteSRecords(image, options, sink, problem);
}

std::string WriteImage(ImageFormat format, const SparseImage& image, const WriteOptions& options,
                       std::string& problem) {
    problem = WriteProblem(format, image, options);
    if (!problem.empty()) return std::string();
    if (format == ImageFormat::IntelHex) return WriteIntelHex(image, options.recordSize);
    return WriteSRecords(image, options, problem);
}

}  // namespace torvane
