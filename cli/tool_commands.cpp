#include "cli/tool_commands.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "tools/bin2c/bin_to_c_array.h"
#include "tools/bin2c/bin_to_c_tool.h"
#include "tools/checksum/check_tool.h"
#include "tools/checksum/check_value.h"
#include "tools/testbin/test_bin_tool.h"

namespace torvane::cli {
namespace {

constexpr const char* kChecksumUsage =
    "Usage: torvane-cli checksum sum8|sum16|sum32|sum64|md5 (FILE | --data HEXTEXT)\n";
constexpr const char* kTestBinUsage =
    "Usage: torvane-cli testbin -o OUT [--length N] [--start HEX] [--end HEX] [--fill HEX | --random]\n"
    "  --length N   1 to 7 decimal digits\n"
    "  --start HEX, --end HEX   1 to 6 hex digits\n"
    "  --fill HEX   1 or 2 hex digits\n";
constexpr const char* kBinToCUsage = "Usage: torvane-cli bin2c SOURCE [-o TARGET]\n";

struct MethodName {
    const char* name;
    ChecksumMethod method;
};
constexpr MethodName kMethodNames[] = {
    {"sum8", ChecksumMethod::Sum8},   {"sum16", ChecksumMethod::Sum16}, {"sum32", ChecksumMethod::Sum32},
    {"sum64", ChecksumMethod::Sum64}, {"md5", ChecksumMethod::Md5},
};

// The words of a tool command: options that take a value (each at most once)
// and the words that are not options. "--" ends the options.
class ToolWords {
public:
    ToolWords(const std::vector<std::string>& args, const char* usage, std::FILE* err)
        : args_(args), usage_(usage), err_(err) {}

    // Reads the words; `valueOption(name, slot)` gives the slot of a value
    // option, `flag(name)` accepts a flag. kExitOk, or the usage error's status.
    template <typename ValueSlot, typename Flag>
    int Read(ValueSlot valueOption, Flag flag, std::vector<std::string>& words) {
        bool optionsEnded = false;
        for (size_t i = 0; i < args_.size(); ++i) {
            const std::string& a = args_[i];
            if (!optionsEnded && a == "--") {
                optionsEnded = true;
            } else if (optionsEnded || !IsOption(a)) {
                words.push_back(a);
            } else if (std::optional<std::string>* slot = valueOption(a)) {
                if (i + 1 >= args_.size()) return Error(a + " needs a value");
                if (*slot) return Error(a + " given twice");
                *slot = args_[++i];
            } else if (!flag(a)) {
                return Error("unknown option '" + a + "'");
            }
        }
        return kExitOk;
    }

    int Error(const std::string& problem) const { return UsageError(err_, problem, usage_); }

private:
    const std::vector<std::string>& args_;
    const char* usage_;
    std::FILE* err_;
};

constexpr auto kNoFlags = [](const std::string&) { return false; };

}  // namespace

int RunChecksumCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> data;
    std::vector<std::string> words;
    ToolWords reader(args, kChecksumUsage, err);
    if (const int status = reader.Read(
            [&](const std::string& a) { return a == "--data" ? &data : nullptr; }, kNoFlags, words))
        return status;
    if (words.empty()) return reader.Error("missing method");
    std::optional<ChecksumMethod> method;
    for (const MethodName& m : kMethodNames)
        if (words[0] == m.name) method = m.method;
    if (!method) return reader.Error("unknown method '" + words[0] + "'");
    if (words.size() > 2) return reader.Error("more than one file");
    const bool file = words.size() == 2;
    if (file && data) return reader.Error("give a FILE or --data, not both");
    if (!file && !data) return reader.Error("missing FILE or --data");

    ConsolePrompts prompts(err);
    ConsoleOut console(out);
    const CheckOutcome outcome = RunCheckComputation(file ? words[1] : std::string(), data.value_or(""),
                                                     static_cast<int>(*method), prompts);
    if (!outcome.ResultText) return kExitFailed;
    console.Line(*outcome.ResultText);
    return console.Finish(kExitOk, err);
}

int RunTestBinCommand(const std::vector<std::string>& args, std::FILE*, std::FILE* err) {
    std::optional<std::string> output, length, start, end, fill;
    bool random = false;
    std::vector<std::string> words;
    ToolWords reader(args, kTestBinUsage, err);
    const auto valueOption = [&](const std::string& a) -> std::optional<std::string>* {
        if (a == "-o") return &output;
        if (a == "--length") return &length;
        if (a == "--start") return &start;
        if (a == "--end") return &end;
        if (a == "--fill") return &fill;
        return nullptr;
    };
    const auto flag = [&](const std::string& a) {
        if (a != "--random") return false;
        random = true;
        return true;
    };
    if (const int status = reader.Read(valueOption, flag, words)) return status;
    if (!words.empty()) return reader.Error("unexpected argument '" + words[0] + "'");
    if (!output) return reader.Error("missing -o OUT");
    if (fill && random) return reader.Error("give --fill or --random, not both");
    // Each value as the dialog's edit could hold it: the length edit takes
    // digits (a sign or letters would be read as something else), the others
    // the hex digits their key filter lets through, all within the edit's limit.
    if (length && !IsDecimalFieldValue(*length, kLengthTextLimit))
        return reader.Error("--length takes 1 to 7 decimal digits");
    if (start && !IsHexFieldValue(*start, kStartTextLimit)) return reader.Error("--start takes 1 to 6 hex digits");
    if (end && !IsHexFieldValue(*end, kEndTextLimit)) return reader.Error("--end takes 1 to 6 hex digits");
    if (fill && !IsHexFieldValue(*fill, kFillTextLimit)) return reader.Error("--fill takes 1 or 2 hex digits");

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

int RunBinToCCommand(const std::vector<std::string>& args, std::FILE*, std::FILE* err) {
    std::optional<std::string> target;
    std::vector<std::string> words;
    ToolWords reader(args, kBinToCUsage, err);
    if (const int status =
            reader.Read([&](const std::string& a) { return a == "-o" ? &target : nullptr; }, kNoFlags, words))
        return status;
    if (words.empty()) return reader.Error("missing SOURCE");
    if (words.size() > 1) return reader.Error("more than one source");

    ConsolePrompts prompts(err);
    return ConvertBinToC(words[0], target.value_or(DefaultTargetPath(words[0])), prompts) ? kExitOk : kExitFailed;
}

}  // namespace torvane::cli
