#include "cli/nic_commands.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "core/operation_log.h"
#include "tools/nic/nic_config.h"
#include "tools/nic/upgrade_image.h"

namespace torvane::cli {
namespace {

constexpr const char* kNicInfoUsage = "Usage: torvane-cli nic-info CONFIG\n";
constexpr const char* kNicUpgradeUsage =
    "Usage: torvane-cli nic-upgrade --config CONFIG [--cdrom IMAGE] [--image IMAGE] [--production]\n"
    "  --cdrom IMAGE   the upgrade image that includes the CDROM image\n"
    "  --image IMAGE   the plain upgrade image\n"
    "  --production    blank the MAC address and serial number (files for production use)\n";

// One output line per list line, its "\r\n" ending written as a newline.
int PrintLines(const OperationLog& list, bool ok, std::FILE* out, std::FILE* err) {
    ConsoleOut console(out);
    for (const std::string& line : list.Lines()) console.Line(ConsoleLine(line));
    return console.Finish(ok ? kExitOk : kExitFailed, err);
}

}  // namespace

int RunNicInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") optionsEnded = true;
        else if (!optionsEnded && IsOption(arg)) return UsageError(err, "unknown option '" + arg + "'", kNicInfoUsage);
        else words.push_back(arg);
    }
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
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        // The command takes no word of its own: every path is an option's value.
        if (optionsEnded || !IsOption(arg))
            return UsageError(err, "unexpected argument '" + arg + "'", kNicUpgradeUsage);
        std::optional<std::string>* target = nullptr;
        if (arg == "--config") target = &config;
        else if (arg == "--cdrom") target = &cdrom;
        else if (arg == "--image") target = &image;
        else if (arg == "--production") {
            production = true;
            continue;
        } else {
            return UsageError(err, "unknown option '" + arg + "'", kNicUpgradeUsage);
        }
        if (i + 1 >= args.size()) return UsageError(err, arg + " needs a path", kNicUpgradeUsage);
        if (*target) return UsageError(err, arg + " given twice", kNicUpgradeUsage);
        *target = args[++i];
    }
    if (!config) return UsageError(err, "nic-upgrade needs --config CONFIG", kNicUpgradeUsage);

    ConsolePrompts prompts(err);
    OperationLog list;
    const std::string a = cdrom.value_or(std::string());
    const std::string b = image.value_or(std::string());
    const bool ok = production ? GenerateProductionFiles(a, b, *config, list, prompts)
                               : GenerateMergedFiles(a, b, *config, list, prompts);
    return PrintLines(list, ok, out, err);
}

}  // namespace torvane::cli
