#include "cli/info_command.h"

#include <algorithm>
#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/convert_command.h"
#include "formats/image_formats.h"
#include "formats/intel_hex.h"
#include "core/memory_map.h"
#include "core/memory_map_format.h"
#include "platform/file_problems.h"
#include "platform/files.h"

namespace torvane::cli {
namespace {

// Larger than any HEX text of a 2 MiB image (about 5.6 MiB with 16-byte
// records), well below what would strain memory.
constexpr uint64_t kInfoReadLimit = 64u << 20;

// A HEX file as convert reads it, in the words the window's decoding has
// always given info: its lowest address, and its end in the 2 MiB image when
// the image holds it.
HexFileInfo InspectHexFile(const std::vector<uint8_t>& text) {
    HexScanStop stop;
    const ImageRead read = ReadIntelHex(text, &stop);
    HexFileInfo info;
    HexDecodeResult& d = info.decoded;
    for (const ImageSegment& s : read.image.segments()) {
        info.segments.push_back(HexSegment{s.address, static_cast<uint32_t>(s.end() - 1)});
        const uint32_t index = ImageIndexOf(s.address);
        if (index + s.bytes.size() > kHexImageSize || (s.address < kFlashBase && s.end() > kFlashBase)) {
            info.inImage = false;
        } else {
            d.ImageEnd = std::max<uint32_t>(d.ImageEnd, index + static_cast<uint32_t>(s.bytes.size()));
        }
    }
    d.LowestAddress = read.image.lowest();
    d.foundData = !read.image.empty();
    d.start = read.image.start;
    d.warnings = read.warnings;
    d.fault = stop.fault;
    // An end record reached by a file without data is still reached.
    d.code = stop.fault == HexFault::None || stop.fault == HexFault::NoData ? 1 : 0;
    if (stop.fault != HexFault::None && stop.fault != HexFault::NoText) {
        d.faultLine = stop.line;
        d.faultOffset = stop.offset;
    }
    d.reason = read.reason;
    return info;
}

}  // namespace

int RunInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> format;
    const ToolOption options[] = {{"--format", &format, nullptr}};
    std::vector<std::string> words;
    std::string error;
    if (!ReadToolArguments(args, options, words, error)) return UsageError(err, error, kInfoUsage);
    if (words.size() != 1) return UsageError(err, "info takes one file", kInfoUsage);
    if (format && *format != "text" && *format != "json")
        return UsageError(err, "--format takes text or json", kInfoUsage);

    const std::string path = AbsolutePath(words[0]);
    ReadFailure why = ReadFailure::Unreadable;
    const std::optional<std::vector<uint8_t>> text = ReadWholeFile(path, kInfoReadLimit, &why);
    if (!text) {
        ProblemLine(err, path + ": " +
                             (why == ReadFailure::TooLarge ? std::string("the file is larger than 64 MiB")
                                                           : FileProblem(path, FileUse::Read)));
        return kExitFailed;
    }
    // Every format as convert reads it, over the whole 32-bit space.
    if (FormatOfName(path) != ImageFormat::IntelHex)
        return RunFormatInfo(path, *text, format.value_or("text") == "json", out, err);
    const HexFileInfo info = InspectHexFile(*text);
    ConsoleOut console(out);
    if (format.value_or("text") == "json") console.Raw(HexInfoJson(path, info));
    else console.Text(HexInfoText(path, info));
    WarningLines(err, path, info.decoded.warnings);
    const bool whole = info.decoded.fault == HexFault::None;
    if (!whole) ProblemLine(err, path + ": " + HexFaultReason(info.decoded));
    return console.Finish(whole ? kExitOk : kExitFailed, err);
}

}  // namespace torvane::cli
