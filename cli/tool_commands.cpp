#include "cli/tool_commands.h"

#include <exception>
#include <optional>

#include "cli/cli.h"
#include "platform/prompts.h"
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
    "Usage: torvane-cli testbin -o OUT [--length N] [--start HEX] [--end HEX] [--fill HEX | --random]\n";
constexpr const char* kBinToCUsage = "Usage: torvane-cli bin2c SOURCE [-o TARGET]\n";

struct MethodName {
    const char* name;
    ChecksumMethod method;
};
constexpr MethodName kMethodNames[] = {
    {"sum8", ChecksumMethod::Sum8},   {"sum16", ChecksumMethod::Sum16}, {"sum32", ChecksumMethod::Sum32},
    {"sum64", ChecksumMethod::Sum64}, {"md5", ChecksumMethod::Md5},
};

// Message boxes as "CAPTION: TEXT" lines on stderr. A box is answered with the
// button that declines (OK for a plain box), and file dialogs are cancelled: a
// tool command is given all its paths on the command line.
class ConsolePrompts final : public Prompts {
public:
    explicit ConsolePrompts(std::FILE* err) : err_(err) {}

    Answer Show(const MessageBox& box) override {
        std::fprintf(err_, "%s: %s\n", box.caption.c_str(), box.text.c_str());
        std::fflush(err_);
        return silent_.Show(box);
    }
    std::optional<std::string> OpenFile(const FileDialog&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialog&) override { return std::nullopt; }

private:
    std::FILE* err_;
    SilentPrompts silent_;
};

int UsageError(std::FILE* err, const char* command, const std::string& problem, const char* usage) {
    std::fprintf(err, "torvane-cli %s: %s\n", command, problem.c_str());
    std::fputs(usage, err);
    return kExitUsage;
}

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// Runs a command body; an escaping exception is a failure, never a crash.
template <typename Body>
int Guarded(std::FILE* err, const char* command, Body body) {
    try {
        return body();
    } catch (const std::exception& e) {
        std::fprintf(err, "torvane-cli %s: %s\n", command, e.what());
    } catch (...) {
        std::fprintf(err, "torvane-cli %s: unexpected failure\n", command);
    }
    return kExitFailed;
}

}  // namespace

int RunChecksumCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    return Guarded(err, "checksum", [&]() -> int {
        if (args.empty()) return UsageError(err, "checksum", "missing method", kChecksumUsage);
        std::optional<ChecksumMethod> method;
        for (const MethodName& m : kMethodNames)
            if (args[0] == m.name) method = m.method;
        if (!method) return UsageError(err, "checksum", "unknown method '" + args[0] + "'", kChecksumUsage);

        std::optional<std::string> file;
        std::optional<std::string> data;
        for (size_t i = 1; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--data") {
                if (i + 1 >= args.size()) return UsageError(err, "checksum", "--data needs a value", kChecksumUsage);
                if (data) return UsageError(err, "checksum", "--data given twice", kChecksumUsage);
                data = args[++i];
            } else if (IsOption(a)) {
                return UsageError(err, "checksum", "unknown option '" + a + "'", kChecksumUsage);
            } else {
                if (file) return UsageError(err, "checksum", "more than one file", kChecksumUsage);
                file = a;
            }
        }
        if (file && data) return UsageError(err, "checksum", "give a FILE or --data, not both", kChecksumUsage);
        if (!file && !data) return UsageError(err, "checksum", "missing FILE or --data", kChecksumUsage);

        ConsolePrompts prompts(err);
        const CheckOutcome outcome =
            RunCheckComputation(file.value_or(""), data.value_or(""), static_cast<int>(*method), prompts);
        if (!outcome.ResultText) return kExitFailed;
        const std::string line = *outcome.ResultText + "\n";
        if (std::fputs(line.c_str(), out) < 0 || std::fflush(out) != 0) return kExitFailed;
        return kExitOk;
    });
}

int RunTestBinCommand(const std::vector<std::string>& args, std::FILE*, std::FILE* err) {
    return Guarded(err, "testbin", [&]() -> int {
        std::optional<std::string> output;
        std::optional<std::string> length;
        std::optional<std::string> start;
        std::optional<std::string> end;
        std::optional<std::string> fill;
        bool random = false;
        const struct {
            const char* name;
            std::optional<std::string>* value;
        } valueOptions[] = {{"-o", &output}, {"--length", &length}, {"--start", &start}, {"--end", &end},
                            {"--fill", &fill}};
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--random") {
                random = true;
                continue;
            }
            std::optional<std::string>* value = nullptr;
            for (const auto& option : valueOptions)
                if (a == option.name) value = option.value;
            if (value) {
                if (i + 1 >= args.size()) return UsageError(err, "testbin", a + " needs a value", kTestBinUsage);
                *value = args[++i];
            } else if (IsOption(a)) {
                return UsageError(err, "testbin", "unknown option '" + a + "'", kTestBinUsage);
            } else {
                return UsageError(err, "testbin", "unexpected argument '" + a + "'", kTestBinUsage);
            }
        }
        if (!output) return UsageError(err, "testbin", "missing -o OUT", kTestBinUsage);
        if (fill && random) return UsageError(err, "testbin", "give --fill or --random, not both", kTestBinUsage);

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
    });
}

int RunBinToCCommand(const std::vector<std::string>& args, std::FILE*, std::FILE* err) {
    return Guarded(err, "bin2c", [&]() -> int {
        std::optional<std::string> source;
        std::optional<std::string> target;
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "-o") {
                if (i + 1 >= args.size()) return UsageError(err, "bin2c", "-o needs a value", kBinToCUsage);
                target = args[++i];
            } else if (IsOption(a)) {
                return UsageError(err, "bin2c", "unknown option '" + a + "'", kBinToCUsage);
            } else {
                if (source) return UsageError(err, "bin2c", "more than one source", kBinToCUsage);
                source = a;
            }
        }
        if (!source) return UsageError(err, "bin2c", "missing SOURCE", kBinToCUsage);

        ConsolePrompts prompts(err);
        return ConvertBinToC(*source, target.value_or(ProposedTargetPath(*source)), prompts) ? kExitOk : kExitFailed;
    });
}

}  // namespace torvane::cli
