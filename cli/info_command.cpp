#include "cli/info_command.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/convert_command.h"
#include "formats/image_formats.h"
#include "core/memory_map.h"
#include "core/memory_map_format.h"
#include "platform/file_problems.h"
#include "platform/files.h"

namespace torvane::cli {
namespace {

// Larger than any HEX text of a 2 MiB image (about 5.6 MiB with 16-byte
// records), well below what would strain memory.
constexpr uint64_t kInfoReadLimit = 64u << 20;

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
    // A HEX file as the window decodes it; every other format as convert reads it.
    if (FormatOfName(path) != ImageFormat::IntelHex)
        return RunFormatInfo(path, *text, format.value_or("text") == "json", out, err);
    const HexFileInfo info = InspectHex(*text);
    ConsoleOut console(out);
    if (format.value_or("text") == "json") console.Raw(HexInfoJson(path, info));
    else console.Text(HexInfoText(path, info));
    const bool whole = info.decoded.fault == HexFault::None;
    if (!whole) ProblemLine(err, path + ": " + HexFaultReason(info.decoded));
    return console.Finish(whole ? kExitOk : kExitFailed, err);
}

}  // namespace torvane::cli
