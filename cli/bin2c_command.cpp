#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/tool_commands.h"
#include "platform/files.h"
#include "tools/bin2c/bin_to_c_array.h"
#include "tools/bin2c/bin_to_c_tool.h"

namespace torvane::cli {
int RunBinToCCommand(const std::vector<std::string>& args, std::FILE*, std::FILE* err) {
    std::optional<std::string> target, typeName;
    std::vector<std::string> words;
    std::string error;
    bool noSync = false;
    const ToolOption options[] = {{"-o", &target}, {"--type", &typeName}, {"--no-sync", nullptr, &noSync}};
    const auto usage = [&](const std::string& problem) { return UsageError(err, problem, kBinToCUsage); };
    if (!ReadToolArguments(args, options, words, error)) return usage(error);
    if (words.empty()) return usage("missing SOURCE");
    if (words.size() > 1) return usage("more than one source");
    const std::optional<CArrayType> type = CArrayTypeNamed(typeName.value_or("UINT8"));
    if (!type) return usage("--type takes UINT8 or uint8_t");
    if (target) {
        if (const std::optional<std::string> problem = OutputNameProblem("-o", *target)) return usage(*problem);
    }
    if (noSync) SetDurableWrites(false);

    ConsolePrompts prompts(err);
    return ConvertBinToC(words[0], target.value_or(DefaultTargetPath(words[0])), prompts, *type) ? kExitOk
                                                                                                  : kExitFailed;
}

}  // namespace torvane::cli
