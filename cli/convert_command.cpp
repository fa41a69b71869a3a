#include "cli/convert_command.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "core/file_entry.h"
#include "core/memory_map_format.h"
#include "core/image_file.h"
#include "formats/binary.h"
#include "formats/elf.h"
#include "formats/image_formats.h"
#include "platform/file_view.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"

namespace torvane::cli {
namespace {

// The largest input read; the largest BIN written is kBinOutputLimit.
constexpr uint64_t kConvertReadLimit = 256u << 20;

std::optional<uint64_t> ParseHex(const std::string& text, unsigned maxDigits = 8) {
    return ParseHexNumber(text, maxDigits);
}

// START-END: END is the last address of the range, as a field's range and
// the map give it; the pair returned ends one past it.
std::optional<std::pair<uint32_t, uint64_t>> ParseRange(const std::string& text) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return std::nullopt;
    const std::optional<uint64_t> from = ParseHex(text.substr(0, dash));
    const std::optional<uint64_t> last = ParseHex(text.substr(dash + 1));
    if (!from || !last || *last < *from) return std::nullopt;
    return std::make_pair(static_cast<uint32_t>(*from), *last + 1);
}

std::optional<uint64_t> ParseDecimal(const std::string& text) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

// The input in place (FileView): a text is read through a window of its
// pages, so a 45 MB HEX text of a 16 MiB image does not sit in memory whole.
std::optional<FileView> ReadInput(const std::string& path, std::FILE* err) {
    ReadFailure why = ReadFailure::Unreadable;
    std::optional<FileView> view = FileView::Open(path, kConvertReadLimit, &why);
    if (!view)
        ProblemLine(err, path + ": " +
                             (why == ReadFailure::TooLarge ? std::string("the file is larger than 256 MiB")
                                                           : FileProblem(path, FileUse::Read)));
    return view;
}

// Whether the input was cut short while it was read, which is said instead of
// whatever the reader made of the zeros it then saw.
bool InputCutShort(const FileView& view, const std::string& path, std::FILE* err) {
    if (!view.CutShort()) return false;
    ProblemLine(err, path + ": the file was cut short while it was read");
    return true;
}

// The refusal of a BIN larger than kBinOutputLimit.
bool BinTooLarge(uint32_t from, uint64_t until, const std::string& outPath, std::FILE* err) {
    if (until - from <= kBinOutputLimit) return false;
    ProblemLine(err, Format("%s: a BIN of 0x%08X-0x%08llX would need %llu bytes, more than 64 MiB; give "
                            "--crop START-END or --fill-to START-END for the range it is to hold",
                            outPath.c_str(), from, static_cast<unsigned long long>(until - 1),
                            static_cast<unsigned long long>(until - from)));
    return true;
}

int Converted(const std::string& inPath, const std::string& outPath, ImageFormat target, uint64_t dataBytes,
              size_t segments, std::FILE* out, std::FILE* err) {
    ConsoleOut console(out);
    console.Text(Format("%s -> %s (%s, %llu data bytes in %zu segments)\n", inPath.c_str(), outPath.c_str(),
                        FormatName(target), static_cast<unsigned long long>(dataBytes), segments));
    return console.Finish(kExitOk, err);
}

// ELF to BIN without a crop or a fill range, from the loads' bytes where they
// lie in the input: no copy of the image is made. Nothing when the loads
// overlap, which the ordinary reading handles.
std::optional<int> ConvertElfToBinInPlace(const FileView& view, const std::string& inPath, const std::string& outPath,
                                          uint8_t fill, std::FILE* out, std::FILE* err) {
    std::vector<PlacedBytes> places;
    const std::optional<ImageRead> read = ReadElfInPlace(view.bytes(), places);
    if (!read) return std::nullopt;
    if (InputCutShort(view, inPath, err)) return kExitFailed;
    WarningLines(err, inPath, read->warnings);
    if (!read->ok()) {
        ProblemLine(err, inPath + ": " + read->reason);
        return kExitFailed;
    }
    // Sorted and apart: the first starts the image, the last ends it.
    const uint32_t from = places.front().address;
    const uint64_t until = places.back().end();
    if (BinTooLarge(from, until, outPath, err)) return kExitFailed;
    const bool written = WriteFileInPieces(outPath, [&](const ByteSink& sink) {
        // The bytes went out of the view: they were the file's only if it
        // still holds them all. If not, the old output stays.
        return WriteBinary(places, from, until, fill, sink) && !view.CutShort();
    });
    if (!written) {
        // A page gone from the view also fails the write itself (EFAULT).
        const std::string problem = FileProblem(outPath, FileUse::Write);
        if (!InputCutShort(view, inPath, err)) ProblemLine(err, outPath + ": " + problem);
        return kExitFailed;
    }
    // Loads that touch are one segment, as in an image.
    uint64_t dataBytes = 0;
    size_t segments = 0;
    for (size_t i = 0; i < places.size(); ++i) {
        dataBytes += places[i].bytes.size();
        if (i == 0 || places[i].address != places[i - 1].end()) ++segments;
    }
    return Converted(inPath, outPath, ImageFormat::Binary, dataBytes, segments, out, err);
}

// An S0 header's text as a line shows it: printable ASCII as it is, every
// other byte (a control character, a line end, a byte of another code page)
// as \xNN, and a backslash as \\.
std::string Printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\') out += "\\\\";
        else if (b >= 0x20 && b < 0x7F) out += c;
        else out += Format("\\x%02X", static_cast<unsigned>(b));
    }
    return out;
}

std::string HexBytes(const std::string& text) {
    std::string out;
    for (const char c : text) out += Format("%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool SaveImage(ImageFormat target, const SparseImage& image, uint32_t from, uint64_t until, uint8_t fill,
               WriteOptions write, const std::string& outPath, std::FILE* err) {
    const std::optional<std::string> problem = SaveImageFile(target, image, from, until, fill, write, outPath);
    if (problem) ProblemLine(err, outPath + ": " + *problem);
    return !problem;
}

int RunConvertCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> output, to, base, recordSize, srecType, fill, fillTo, crop;
    bool noSync = false;
    const ToolOption options[] = {{"-o", &output, nullptr},          {"--to", &to, nullptr},
                                  {"--base", &base, nullptr},        {"--record-size", &recordSize, nullptr},
                                  {"--srec-type", &srecType, nullptr}, {"--fill", &fill, nullptr},
                                  {"--fill-to", &fillTo, nullptr},   {"--crop", &crop, nullptr},
                                  {"--no-sync", nullptr, &noSync}};
    std::vector<std::string> words;
    std::string error;
    if (!ReadToolArguments(args, options, words, error)) return UsageError(err, error, kConvertUsage);
    if (words.size() != 1) return UsageError(err, "convert takes one input file", kConvertUsage);
    if (!output) return UsageError(err, "convert needs -o OUT", kConvertUsage);
    if (const std::optional<std::string> problem = OutputNameProblem("-o", *output))
        return UsageError(err, *problem, kConvertUsage);
    if (noSync) SetDurableWrites(false);

    ImageFormat target = FormatOfName(*output);
    if (to) {
        if (*to == "hex") target = ImageFormat::IntelHex;
        else if (*to == "srec") target = ImageFormat::SRecord;
        else if (*to == "bin") target = ImageFormat::Binary;
        else return UsageError(err, "--to takes hex, srec or bin", kConvertUsage);
    } else if (target == ImageFormat::Elf) {
        return UsageError(err, "ELF is read, not written: give --to hex|srec|bin", kConvertUsage);
    }
    WriteOptions write;
    const std::optional<uint64_t> baseValue = base ? ParseHex(*base) : std::optional<uint64_t>(0);
    if (!baseValue) return UsageError(err, "--base takes 1 to 8 hex digits", kConvertUsage);
    if (recordSize) {
        const std::optional<uint64_t> size = ParseDecimal(*recordSize);
        if (!size || *size < 1 || *size > 255) return UsageError(err, "--record-size takes 1 to 255", kConvertUsage);
        write.recordSize = static_cast<uint32_t>(*size);
    }
    if (srecType) {
        if (*srecType != "1" && *srecType != "2" && *srecType != "3")
            return UsageError(err, "--srec-type takes 1, 2 or 3", kConvertUsage);
        write.srecType = (*srecType)[0] - '0';
    }
    const std::optional<uint64_t> fillValue = fill ? ParseHex(*fill, 2) : std::optional<uint64_t>(0x00);
    if (!fillValue) return UsageError(err, "--fill takes one hex byte", kConvertUsage);
    std::optional<std::pair<uint32_t, uint64_t>> fillRange, cropRange;
    if (fillTo && !(fillRange = ParseRange(*fillTo)))
        return UsageError(err, "--fill-to takes START-END in hex, END the last address filled", kConvertUsage);
    if (crop && !(cropRange = ParseRange(*crop)))
        return UsageError(err, "--crop takes START-END in hex, END the last address kept", kConvertUsage);

    const std::string inPath = AbsolutePath(words[0]);
    const std::string outPath = AbsolutePath(*output);
    if (SameFile(inPath, outPath) || inPath == outPath) {
        ProblemLine(err, outPath + ": the output would replace the input");
        return kExitFailed;
    }
    std::optional<FileView> view = ReadInput(inPath, err);
    if (!view) return kExitFailed;
    const ImageFormat source = FormatOfName(inPath);
    const uint8_t fillByte = static_cast<uint8_t>(*fillValue);
    if (source == ImageFormat::Elf && target == ImageFormat::Binary && !cropRange && !fillRange) {
        if (const std::optional<int> done = ConvertElfToBinInPlace(*view, inPath, outPath, fillByte, out, err))
            return *done;
    }
    ImageRead read = ReadImage(source, view->bytes(), static_cast<uint32_t>(*baseValue),
                               [&view](uint64_t offset) { view->Release(offset); });
    if (InputCutShort(*view, inPath, err)) return kExitFailed;
    view.reset();  // the image holds every byte from here on
    WarningLines(err, inPath, read.warnings);
    if (!read.ok()) {
        ProblemLine(err, inPath + ": " + read.reason);
        return kExitFailed;
    }
    SparseImage& image = read.image;
    if (cropRange) image.Crop(cropRange->first, cropRange->second);
    if (fillRange) {
        if (fillRange->second - fillRange->first > kBinOutputLimit) {
            ProblemLine(err, Format("--fill-to %s: the range is larger than 64 MiB", fillTo->c_str()));
            return kExitFailed;
        }
        image.FillRange(fillRange->first, fillRange->second, fillByte);
    }

    if (target == ImageFormat::Binary) {
        uint32_t from = image.lowest();
        uint64_t until = image.end();
        if (fillRange) std::tie(from, until) = *fillRange;
        else if (cropRange && !image.empty()) std::tie(from, until) = *cropRange;
        if (BinTooLarge(from, until, outPath, err)) return kExitFailed;
        if (!SaveImage(target, image, from, until, fillByte, write, outPath, err)) return kExitFailed;
    } else if (!SaveImage(target, image, 0, 0, fillByte, write, outPath, err)) {
        return kExitFailed;
    }
    return Converted(inPath, outPath, target, image.dataSize(), image.segments().size(), out, err);
}

int RunFormatInfo(const std::string& path, const std::vector<uint8_t>& bytes, bool json, std::FILE* out,
                  std::FILE* err) {
    const ImageFormat format = FormatOfName(path);
    const ImageRead read = ReadImage(format, bytes);
    const SparseImage& image = read.image;
    std::string text;
    // The program header a range came from, for ELF.
    auto originOf = [&read](const ImageSegment& s) -> std::string {
        std::string names;
        for (const LoadOrigin& o : read.origins) {
            if (o.physicalAddress < s.end() && o.physicalAddress + o.fileSize > s.address)
                names += (names.empty() ? "" : ",") + std::to_string(o.index);
        }
        return names;
    };
    if (json) {
        text = "{" + JsonPath(path) + ", \"format\": \"" + FormatName(format) + "\", \"segments\": [";
        for (size_t i = 0; i < image.segments().size(); ++i) {
            const ImageSegment& s = image.segments()[i];
            text += Format("%s{\"start\": %u, \"end\": %llu, \"bytes\": %zu", i == 0 ? "" : ", ", s.address,
                           static_cast<unsigned long long>(s.end() - 1), s.bytes.size());
            if (format == ImageFormat::Elf) text += ", \"program_headers\": [" + originOf(s) + "]";
            text += "}";
        }
        text += "], \"start\": " + (image.start ? std::to_string(*image.start) : std::string("null"));
        if (format == ImageFormat::SRecord) {
            text += ", \"header\": " + JsonString(image.header);
            if (!IsUtf8(image.header)) text += ", \"header_bytes\": \"" + HexBytes(image.header) + "\"";
        }
        text += ", \"warnings\": [";
        for (size_t i = 0; i < read.warnings.size(); ++i) text += (i == 0 ? "" : ", ") + JsonString(read.warnings[i]);
        text += "], \"failure\": " + (read.ok() ? std::string("null") : JsonString(read.reason)) + "}\n";
    } else {
        text = path + " (" + FormatName(format) + ")\n";
        if (format == ImageFormat::SRecord && !image.header.empty()) text += "header " + Printable(image.header) + "\n";
        for (const ImageSegment& s : image.segments()) {
            text += Format("segment  0x%08X  0x%08llX  %10zu bytes", s.address, static_cast<unsigned long long>(s.end() - 1),
                           s.bytes.size());
            if (format == ImageFormat::Elf) text += "  from program header " + originOf(s);
            text += "\n";
        }
        for (const LoadOrigin& o : read.origins)
            text += Format("program header %u: file bytes 0x%llX+0x%llX, virtual 0x%08llX, physical 0x%08X, memory "
                           "0x%llX bytes\n",
                           o.index, static_cast<unsigned long long>(o.fileOffset),
                           static_cast<unsigned long long>(o.fileSize),
                           static_cast<unsigned long long>(o.virtualAddress), o.physicalAddress,
                           static_cast<unsigned long long>(o.memorySize));
        text += image.start ? Format("start address 0x%08X\n", *image.start) : std::string("no start address\n");
        if (!read.ok()) text += "stops: " + read.reason + "\n";
    }
    ConsoleOut console(out);
    console.Raw(text);
    WarningLines(err, path, read.warnings);
    if (!read.ok()) ProblemLine(err, path + ": " + read.reason);
    return console.Finish(read.ok() ? kExitOk : kExitFailed, err);
}

}  // namespace torvane::cli
