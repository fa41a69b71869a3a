#include "cli/nic_commands.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "core/operation_log.h"
#include "platform/files.h"
#include "tools/nic/nic_config.h"
#include "tools/nic/upgrade_image.h"

namespace torvane::cli {
namespace {

// One output line per list line, its "\r\n" ending written as a newline.
int PrintLines(const OperationLog& list, bool ok, std::FILE* out, std::FILE* err) {
    ConsoleOut console(out);
    for (const std::string& line : list.Lines()) console.Line(ConsoleLine(line));
    return console.Finish(ok ? kExitOk : kExitFailed, err);
}

}  // namespace

int RunNicInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::vector<std::string> words;
    std::string error;
    if (!ReadToolArguments(args, {}, words, error)) return UsageError(err, error, kNicInfoUsage);
    if (words.size() != 1) return UsageError(err, "nic-info takes one configuration file", kNicInfoUsage);

    ConsolePrompts prompts(err);
    OperationLog list;
    NicConfigBody body{};
    const bool ok = LoadNicConfig(words[0], body, list, prompts);
    return PrintLines(list, ok, out, err);
}

int RunNicUpgradeCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> config;
    std::optional<std::string> cdrom;
    std::optional<std::string> image;
    bool production = false;
    bool noSync = false;
    std::vector<std::string> words;
    std::string error;
    const ToolOption options[] = {
        {"--config", &config}, {"--cdrom", &cdrom}, {"--image", &image}, {"--production", nullptr, &production},
        {"--no-sync", nullptr, &noSync}};
    if (!ReadToolArguments(args, options, words, error)) return UsageError(err, error, kNicUpgradeUsage);
    // The command takes no word of its own: every path is an option's value.
    if (!words.empty()) return UsageError(err, "unexpected argument '" + words[0] + "'", kNicUpgradeUsage);
    if (!config) return UsageError(err, "nic-upgrade needs --config CONFIG", kNicUpgradeUsage);
    if (noSync) SetDurableWrites(false);

    ConsolePrompts prompts(err);
    OperationLog list;
    const std::string a = cdrom.value_or(std::string());
    const std::string b = image.value_or(std::string());
    const bool ok = production ? GenerateProductionFiles(a, b, *config, list, prompts)
                               : GenerateMergedFiles(a, b, *config, list, prompts);
    return PrintLines(list, ok, out, err);
}

}  // namespace torvane::cli
