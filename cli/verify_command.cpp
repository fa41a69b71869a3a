#include "cli/verify_command.h"

#include <exception>
#include <new>
#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "config/config_file.h"
#include "core/field_verify.h"
#include "core/file_entry.h"
#include "core/integrity_fields.h"
#include "core/merge.h"
#include "platform/files.h"
#include "platform/format.h"
#include "tools/compare/compare_tool.h"

namespace torvane::cli {
namespace {

constexpr int kAllMatch = 0;
constexpr int kMismatch = 1;
constexpr int kTrouble = 2;

std::optional<uint32_t> Hex32(const std::string& text, unsigned digits) {
    const std::optional<uint64_t> v = ParseHexNumber(text, digits);
    return v ? std::optional<uint32_t>(static_cast<uint32_t>(*v)) : std::nullopt;
}

int Verify(const std::string& imagePath, uint32_t base, uint8_t fill, const std::vector<FieldSpec>& typed,
           const std::optional<std::string>& config, std::FILE* out, std::FILE* err) {
    std::vector<FieldSpec> projectFields;
    bool projectPositions = true;
    if (config) {
        std::string why;
        const std::string project = AbsolutePath(*config);
        const std::optional<ProjectMergeSettings> settings = ReadProjectMergeSettings(project, why);
        if (!settings) {
            ProblemLine(err, project + ": " + why);
            return kTrouble;
        }
        if (settings->fields.empty()) {
            ProblemLine(err, project + ": the project's merge settings hold no field");
            return kTrouble;
        }
        projectFields = settings->fields;
        projectPositions = MergeFieldsArePositions(settings->addresses, settings->baseText, settings->format);
    }
    const LoadedImage loaded = LoadImageFile(imagePath, base);
    WarningLines(err, loaded.path, loaded.warnings);
    if (!loaded.ok) {
        ProblemLine(err, loaded.path + ": " + loaded.reason);
        return kTrouble;
    }
    if (loaded.image.empty()) {
        ProblemLine(err, loaded.path + ": the image holds no byte");
        return kTrouble;
    }
    // The project's fields are positions in the merged image, which starts
    // at the file's lowest address (a merged HEX file: its base), or, saved
    // since fields take the map's addresses, the image's own addresses. The
    // fields given are the image's own, as the stamp takes them. Their words
    // name the image before the fields written at its end.
    std::vector<FieldSpec> fields;
    std::string why;
    const std::optional<std::vector<FieldSpec>> moved =
        FieldsOfImage(projectFields, projectPositions, loaded.image, &why);
    const std::optional<std::vector<FieldSpec>> own =
        moved ? FieldsOfImage(typed, false, loaded.image, &why) : std::nullopt;
    if (!moved || !own) {
        ProblemLine(err, loaded.path + ": " + why);
        return kTrouble;
    }
    fields = *moved;
    fields.insert(fields.end(), own->begin(), own->end());
    if (const std::optional<std::string> problem = VerifyFieldsProblem(fields)) {
        ProblemLine(err, "the fields cannot be checked: " + *problem);
        return kTrouble;
    }
    const std::vector<FieldCheck> checks = VerifyFields(loaded.image, fill, fields);
    ConsoleOut console(out);
    size_t wrong = 0;
    for (const FieldCheck& c : checks) {
        const FieldSpec& f = c.field;
        std::string line = Format("%s at 0x%08X over 0x%08X-0x%08X: ", f.Name().c_str(), f.at, f.start, f.end);
        if (!c.stored)
            line += Format("not in the image, computed %s: MISMATCH\n", c.computed.valueText.c_str());
        else
            line += Format("stored %s, computed %s: %s\n", c.storedText.c_str(), c.computed.valueText.c_str(),
                           c.matches() ? "ok" : "MISMATCH");
        console.Text(line);
        wrong += c.matches() ? 0 : 1;
    }
    console.Text(wrong ? Format("verify: %zu of %zu field%s do not match\n", wrong, checks.size(),
                                checks.size() == 1 ? "" : "s")
                       : Format("verify: %zu field%s match\n", checks.size(), checks.size() == 1 ? "" : "s"));
    if (console.Finish(kAllMatch, err) != kAllMatch) return kTrouble;
    return wrong ? kMismatch : kAllMatch;
}

}  // namespace

int RunVerifyCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> base, fill, config;
    std::vector<std::string> rest;
    std::vector<FieldSpec> fields;
    if (const std::optional<std::string> problem = TakeFieldOptions(args, rest, fields))
        return UsageError(err, *problem, kVerifyUsage);
    const ToolOption options[] = {{"--base", &base, nullptr}, {"--fill", &fill, nullptr}, {"--config", &config, nullptr}};
    std::vector<std::string> words;
    std::string error;
    if (!ReadToolArguments(rest, options, words, error)) return UsageError(err, error, kVerifyUsage);
    if (words.size() != 1) return UsageError(err, "verify takes one image file", kVerifyUsage);
    if (fields.empty() && !config) return UsageError(err, "verify needs --field FIELD or --config PROJECT.ini", kVerifyUsage);
    const std::optional<uint32_t> baseValue = base ? Hex32(*base, 8) : std::optional<uint32_t>(0);
    if (!baseValue) return UsageError(err, "--base takes 1 to 8 hex digits", kVerifyUsage);
    const std::optional<uint32_t> fillValue = fill ? Hex32(*fill, 2) : std::optional<uint32_t>(0xFF);
    if (!fillValue) return UsageError(err, "--fill takes one hex byte", kVerifyUsage);
    try {
        return Verify(words[0], *baseValue, static_cast<uint8_t>(*fillValue), fields, config, out, err);
    } catch (const std::bad_alloc&) {
        ProblemLine(err, "out of memory");
    } catch (const std::exception& e) {
        ProblemLine(err, e.what());
    }
    // Status 1 would say a field does not match: any other failure is trouble.
    return kTrouble;
}

}  // namespace torvane::cli
