#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/tool_commands.h"
#include "tools/checksum/check_tool.h"
#include "tools/checksum/check_value.h"

namespace torvane::cli {
namespace {

struct MethodName {
    const char* name;
    ChecksumMethod method;
};
constexpr MethodName kMethodNames[] = {
    {"sum8", ChecksumMethod::Sum8},   {"sum16", ChecksumMethod::Sum16}, {"sum32", ChecksumMethod::Sum32},
    {"sum64", ChecksumMethod::Sum64}, {"md5", ChecksumMethod::Md5},
};

}  // namespace

int RunChecksumCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> data;
    std::vector<std::string> words;
    std::string error;
    const ToolOption options[] = {{"--data", &data}};
    const auto usage = [&](const std::string& problem) { return UsageError(err, problem, kChecksumUsage); };
    if (!ReadToolArguments(args, options, words, error)) return usage(error);
    if (words.empty()) return usage("missing method");
    std::optional<ChecksumMethod> method;
    for (const MethodName& m : kMethodNames)
        if (words[0] == m.name) method = m.method;
    if (!method) return usage("unknown method '" + words[0] + "'");
    if (words.size() > 2) return usage("more than one file");
    const bool file = words.size() == 2;
    if (file && data) return usage("give a FILE or --data, not both");
    if (!file && !data) return usage("missing FILE or --data");

    ConsolePrompts prompts(err);
    ConsoleOut console(out);
    const CheckOutcome outcome = RunCheckComputation(file ? words[1] : std::string(), data.value_or(""),
                                                     static_cast<int>(*method), prompts);
    if (!outcome.ResultText) return kExitFailed;
    console.Line(*outcome.ResultText);
    return console.Finish(kExitOk, err);
}

}  // namespace torvane::cli
