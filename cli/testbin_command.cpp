#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/tool_commands.h"
#include "platform/files.h"
#include "tools/testbin/test_bin_tool.h"

namespace torvane::cli {
int RunTestBinCommand(const std::vector<std::string>& args, std::FILE*, std::FILE* err) {
    std::optional<std::string> output, length, start, end, fill;
    bool random = false;
    bool noSync = false;
    std::vector<std::string> words;
    std::string error;
    const ToolOption options[] = {{"-o", &output},  {"--length", &length}, {"--start", &start},
                                  {"--end", &end},  {"--fill", &fill},     {"--random", nullptr, &random},
                                  {"--no-sync", nullptr, &noSync}};
    const auto usage = [&](const std::string& problem) { return UsageError(err, problem, kTestBinUsage); };
    if (!ReadToolArguments(args, options, words, error)) return usage(error);
    if (!words.empty()) return usage("unexpected argument '" + words[0] + "'");
    if (!output) return usage("missing -o OUT");
    if (const std::optional<std::string> problem = OutputNameProblem("-o", *output)) return usage(*problem);
    if (fill && random) return usage("give --fill or --random, not both");
    // Each value as the dialog's edit could hold it: the length edit takes
    // digits (a sign or letters would be read as something else), the others
    // the hex digits their key filter lets through, all within the edit's limit.
    if (length && !IsDecimalFieldValue(*length, kLengthTextLimit)) return usage("--length takes 1 to 7 decimal digits");
    if (start && !IsHexFieldValue(*start, kStartTextLimit)) return usage("--start takes 1 to 6 hex digits");
    if (end && !IsHexFieldValue(*end, kEndTextLimit)) return usage("--end takes 1 to 6 hex digits");
    if (fill && !IsHexFieldValue(*fill, kFillTextLimit)) return usage("--fill takes 1 or 2 hex digits");

    if (noSync) SetDurableWrites(false);

    TestBinForm form = StartTestBinForm(*output);
    if (length) {
        form.LengthText = *length;
        OnTestBinLengthEdited(form);
    }
    if (start) form.StartText = *start;
    if (end) form.EndText = *end;
    if (fill) {
        form.Random = false;
        form.FillText = *fill;
    }
    ConsolePrompts prompts(err);
    return GenerateTestBin(form, prompts) ? kExitOk : kExitFailed;
}

}  // namespace torvane::cli
