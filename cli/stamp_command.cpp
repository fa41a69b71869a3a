#include "cli/stamp_command.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/convert_command.h"
#include "core/file_entry.h"
#include "core/integrity_fields.h"
#include "formats/image_formats.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"

namespace torvane::cli {
namespace {

// The largest input read, and the largest BIN written.
constexpr uint64_t kStampReadLimit = 256u << 20;
constexpr uint64_t kStampBinLimit = 64u << 20;

std::optional<uint32_t> Hex32(const std::string& text, unsigned digits) {
    const std::optional<uint64_t> v = ParseHexNumber(text, digits);
    return v ? std::optional<uint32_t>(static_cast<uint32_t>(*v)) : std::nullopt;
}

}  // namespace

int RunStampCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> output, base, fill;
    bool inPlace = false;
    // --field may be given many times: the options are read one field at a time.
    std::vector<std::string> rest;
    std::vector<FieldSpec> fields;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (args[i] == "--field") {
            if (i + 1 == args.size()) return UsageError(err, "--field needs a value", kStampUsage);
            std::string why;
            const std::optional<FieldSpec> field = ParseFieldSpec(args[++i], &why);
            if (!field) return UsageError(err, "--field " + args[i] + ": " + why, kStampUsage);
            fields.push_back(*field);
            continue;
        }
        rest.push_back(args[i]);
    }
    const ToolOption options[] = {{"-o", &output, nullptr}, {"--base", &base, nullptr}, {"--fill", &fill, nullptr},
                                  {"--in-place", nullptr, &inPlace}};
    std::vector<std::string> words;
    std::string error;
    if (!ReadToolArguments(rest, options, words, error)) return UsageError(err, error, kStampUsage);
    if (words.size() != 1) return UsageError(err, "stamp takes one image file", kStampUsage);
    if (!output) return UsageError(err, "stamp needs -o OUT", kStampUsage);
    if (fields.empty()) return UsageError(err, "stamp needs at least one --field", kStampUsage);
    const std::optional<uint32_t> baseValue = base ? Hex32(*base, 8) : std::optional<uint32_t>(0);
    if (!baseValue) return UsageError(err, "--base takes 1 to 8 hex digits", kStampUsage);
    const std::optional<uint32_t> fillValue = fill ? Hex32(*fill, 2) : std::optional<uint32_t>(0xFF);
    if (!fillValue) return UsageError(err, "--fill takes one hex byte", kStampUsage);
    const ImageFormat target = FormatOfName(*output);
    if (target == ImageFormat::Elf) return UsageError(err, "ELF is read, not written", kStampUsage);

    const std::string inPath = AbsolutePath(words[0]);
    const std::string outPath = AbsolutePath(*output);
    if (!inPlace && (SameFile(inPath, outPath) || inPath == outPath)) {
        ProblemLine(err, outPath + ": the output would replace the image; give --in-place to stamp it there");
        return kExitFailed;
    }
    ReadFailure why = ReadFailure::Unreadable;
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(inPath, kStampReadLimit, &why);
    if (!bytes) {
        ProblemLine(err, inPath + ": " +
                             (why == ReadFailure::TooLarge ? std::string("the file is larger than 256 MiB")
                                                           : FileProblem(inPath, FileUse::Read)));
        return kExitFailed;
    }
    ImageRead read = ReadImage(FormatOfName(inPath), *bytes, *baseValue);
    if (!read.ok()) {
        ProblemLine(err, inPath + ": " + read.reason);
        return kExitFailed;
    }
    SparseImage& image = read.image;
    // Every field is checked before anything is written.
    if (const std::optional<std::string> problem = FieldsProblem(fields, image.lowest(), kAddressSpaceEnd)) {
        ProblemLine(err, inPath + ": " + *problem);
        return kExitFailed;
    }
    const uint8_t fillByte = static_cast<uint8_t>(*fillValue);
    const std::vector<WrittenField> written = WriteFields(image, fillByte, fields);

    if (target == ImageFormat::Binary && image.end() - image.lowest() > kStampBinLimit) {
        ProblemLine(err, Format("%s: a BIN of 0x%08X-0x%08llX would need more than 64 MiB", outPath.c_str(),
                                image.lowest(), static_cast<unsigned long long>(image.end() - 1)));
        return kExitFailed;
    }
    if (!SaveImage(target, image, image.lowest(), image.end(), fillByte, WriteOptions{}, outPath, err))
        return kExitFailed;
    ConsoleOut console(out);
    for (const WrittenField& w : written)
        console.Text(Format("%s = %s at 0x%08X over 0x%08X-0x%08X\n", w.field.Name().c_str(), w.valueText.c_str(),
                            w.field.at, w.field.start, w.field.end));
    return console.Finish(kExitOk, err);
}

}  // namespace torvane::cli
