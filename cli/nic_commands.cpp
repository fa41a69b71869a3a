#include "cli/nic_commands.h"

#include <optional>
#include <string_view>

#include "cli/cli.h"
#include "core/operation_log.h"
#include "platform/prompts.h"
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

// Message boxes become "CAPTION: TEXT" lines on stderr. Every box of these
// tools has only an OK button; dialogs are never needed, so they are cancelled.
class StderrPrompts final : public Prompts {
public:
    explicit StderrPrompts(std::FILE* err) : err_(err) {}

    Answer Show(const MessageBox& box) override {
        std::fprintf(err_, "%s: %s\n", box.caption.c_str(), box.text.c_str());
        switch (box.buttons) {
            case MessageButtons::Ok: return Answer::Ok;
            case MessageButtons::YesNo: return Answer::No;
            case MessageButtons::YesNoCancel: return Answer::Cancel;
        }
        return Answer::Cancel;
    }
    std::optional<std::string> OpenFile(const FileDialog&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialog&) override { return std::nullopt; }

private:
    std::FILE* err_;
};

// One output line per list line, its "\r\n" ending written as a newline.
void PrintLines(const OperationLog& list, std::FILE* out) {
    for (const std::string& line : list.Lines()) {
        std::string_view text = line;
        if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") text.remove_suffix(2);
        std::fwrite(text.data(), 1, text.size(), out);
        std::fputc('\n', out);
    }
}

int UsageError(std::FILE* err, const std::string& problem, const char* usage) {
    std::fprintf(err, "torvane-cli: %s\n", problem.c_str());
    std::fputs(usage, err);
    return kExitUsage;
}

}  // namespace

int RunNicInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.size() != 1) return UsageError(err, "nic-info takes one configuration file", kNicInfoUsage);
    if (args[0].size() > 1 && args[0][0] == '-')
        return UsageError(err, "unknown option '" + args[0] + "'", kNicInfoUsage);

    StderrPrompts prompts(err);
    OperationLog list;
    NicConfigBody body{};
    const bool ok = LoadNicConfig(args[0], body, list, prompts);
    PrintLines(list, out);
    return ok ? kExitOk : kExitFailed;
}

int RunNicUpgradeCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> config;
    std::optional<std::string> cdrom;
    std::optional<std::string> image;
    bool production = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* target = nullptr;
        if (arg == "--config") target = &config;
        else if (arg == "--cdrom") target = &cdrom;
        else if (arg == "--image") target = &image;
        else if (arg == "--production") {
            production = true;
            continue;
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError(err, "unknown option '" + arg + "'", kNicUpgradeUsage);
        } else {
            return UsageError(err, "unexpected argument '" + arg + "'", kNicUpgradeUsage);
        }
        if (i + 1 >= args.size()) return UsageError(err, arg + " needs a path", kNicUpgradeUsage);
        if (*target) return UsageError(err, arg + " given twice", kNicUpgradeUsage);
        *target = args[++i];
    }
    if (!config) return UsageError(err, "nic-upgrade needs --config CONFIG", kNicUpgradeUsage);

    StderrPrompts prompts(err);
    OperationLog list;
    const std::string a = cdrom.value_or(std::string());
    const std::string b = image.value_or(std::string());
    const bool ok = production ? GenerateProductionFiles(a, b, *config, list, prompts)
                               : GenerateMergedFiles(a, b, *config, list, prompts);
    PrintLines(list, out);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace torvane::cli
