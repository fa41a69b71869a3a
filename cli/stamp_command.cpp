#include "cli/stamp_command.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "core/file_entry.h"
#include "core/integrity_fields.h"
#include "tools/stamp/stamp_tool.h"
#include "formats/image_formats.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"

namespace torvane::cli {
namespace {

std::optional<uint32_t> Hex32(const std::string& text, unsigned digits) {
    const std::optional<uint64_t> v = ParseHexNumber(text, digits);
    return v ? std::optional<uint32_t>(static_cast<uint32_t>(*v)) : std::nullopt;
}

}  // namespace

int RunStampCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> output, base, fill;
    bool inPlace = false;
    bool noSync = false;
    std::vector<std::string> rest;
    std::vector<FieldSpec> fields;
    if (const std::optional<std::string> problem = TakeFieldOptions(args, rest, fields))
        return UsageError(err, *problem, kStampUsage);
    const ToolOption options[] = {{"-o", &output, nullptr}, {"--base", &base, nullptr}, {"--fill", &fill, nullptr},
                                  {"--in-place", nullptr, &inPlace}, {"--no-sync", nullptr, &noSync}};
    std::vector<std::string> words;
    std::string error;
    if (!ReadToolArguments(rest, options, words, error)) return UsageError(err, error, kStampUsage);
    if (words.size() != 1) return UsageError(err, "stamp takes one image file", kStampUsage);
    if (!output) return UsageError(err, "stamp needs -o OUT", kStampUsage);
    if (const std::optional<std::string> problem = OutputNameProblem("-o", *output))
        return UsageError(err, *problem, kStampUsage);
    if (fields.empty()) return UsageError(err, "stamp needs at least one --field", kStampUsage);
    const std::optional<uint32_t> baseValue = base ? Hex32(*base, 8) : std::optional<uint32_t>(0);
    if (!baseValue) return UsageError(err, "--base takes 1 to 8 hex digits", kStampUsage);
    const std::optional<uint32_t> fillValue = fill ? Hex32(*fill, 2) : std::optional<uint32_t>(0xFF);
    if (!fillValue) return UsageError(err, "--fill takes one hex byte", kStampUsage);
    if (FormatOfName(*output) == ImageFormat::Elf) return UsageError(err, "ELF is read, not written", kStampUsage);

    if (noSync) SetDurableWrites(false);

    StampRequest request;
    request.input = words[0];
    request.output = *output;
    request.fields = fields;
    request.base = *baseValue;
    request.fill = static_cast<uint8_t>(*fillValue);
    request.inPlace = inPlace;
    const StampResult result = StampImage(request);
    WarningLines(err, AbsolutePath(request.input), result.warnings);
    if (!result.ok) {
        ProblemLine(err, result.ontoInput ? result.reason + "; give --in-place to stamp it there" : result.reason);
        return kExitFailed;
    }
    const std::vector<WrittenField>& written = result.written;
    ConsoleOut console(out);
    for (const WrittenField& w : written)
        console.Text(Format("%s = %s at 0x%08X over 0x%08X-0x%08X\n", w.field.Name().c_str(), w.valueText.c_str(),
                            w.field.at, w.field.start, w.field.end));
    return console.Finish(kExitOk, err);
}

}  // namespace torvane::cli
