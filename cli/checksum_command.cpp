#include <optional>

#include "checks/crc.h"
#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/tool_commands.h"
#include "core/file_entry.h"
#include "platform/format.h"
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
    {"sum64", ChecksumMethod::Sum64}, {"md5", ChecksumMethod::Md5},     {"sha256", ChecksumMethod::Sha256},
};

std::string ListText() {
    std::string out;
    for (const CrcPreset& p : CrcPresets()) {
        const int digits = (p.model.width + 3) / 4;
        out += Format("%-16s width=%-2d poly=0x%0*llX init=0x%0*llX refin=%s refout=%s xorout=0x%0*llX check=0x%0*llX",
                      p.name, p.model.width, digits, static_cast<unsigned long long>(p.model.poly), digits,
                      static_cast<unsigned long long>(p.model.init), p.model.refin ? "true" : "false",
                      p.model.refout ? "true" : "false", digits, static_cast<unsigned long long>(p.model.xorout),
                      digits, static_cast<unsigned long long>(p.check));
        if (p.feed == CrcFeed::Stm32Words) out += " (32-bit little-endian words)";
        if (*p.aliases) out += std::string("  aliases: ") + p.aliases;
        out += "\n";
    }
    return out;
}

}  // namespace

int RunChecksumCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> data, width, poly, init, xorout;
    bool refin = false, refout = false, list = false;
    std::vector<std::string> words;
    std::string error;
    const ToolOption options[] = {{"--data", &data},   {"--width", &width},          {"--poly", &poly},
                                  {"--init", &init},   {"--xorout", &xorout},        {"--refin", nullptr, &refin},
                                  {"--refout", nullptr, &refout}, {"--list", nullptr, &list}};
    const auto usage = [&](const std::string& problem) { return UsageError(err, problem, kChecksumUsage); };
    if (!ReadToolArguments(args, options, words, error)) return usage(error);
    ConsoleOut console(out);
    if (list) {
        if (!words.empty() || data) return usage("--list takes nothing else");
        console.Text(ListText());
        return console.Finish(kExitOk, err);
    }
    if (words.empty()) return usage("missing method");

    std::optional<CheckValueStream> method;
    const bool custom = words[0] == "crc";
    if (!custom && (width || poly || init || xorout || refin || refout))
        return usage("--width, --poly, --init, --refin, --refout and --xorout belong to the method crc");
    if (custom) {
        CrcModel model;
        if (!width || !poly) return usage("crc needs --width and --poly");
        if (width->empty() || width->size() > 2 || width->find_first_not_of("0123456789") != std::string::npos)
            return usage("--width takes 8 to 64");
        model.width = std::stoi(*width);
        const std::optional<uint64_t> p = ParseHexNumber(*poly, 16);
        const std::optional<uint64_t> i = init ? ParseHexNumber(*init, 16) : std::optional<uint64_t>(0);
        const std::optional<uint64_t> x = xorout ? ParseHexNumber(*xorout, 16) : std::optional<uint64_t>(0);
        if (!p || !i || !x) return usage("--poly, --init and --xorout take 1 to 16 hex digits");
        model.poly = *p;
        model.init = *i;
        model.xorout = *x;
        model.refin = refin;
        model.refout = refout;
        std::string why;
        if (!IsValidCrcModel(model, &why)) return usage("crc: " + why);
        method.emplace(model, CrcFeed::Bytes);
    } else {
        for (const MethodName& m : kMethodNames)
            if (words[0] == m.name) method.emplace(m.method);
        if (!method) {
            if (const CrcPreset* preset = FindCrcPreset(words[0])) method.emplace(preset->model, preset->feed);
        }
    }
    if (!method) return usage("unknown method '" + words[0] + "' (see checksum --list)");
    if (words.size() > 2) return usage("more than one file");
    const bool file = words.size() == 2;
    if (file && data) return usage("give a FILE or --data, not both");
    if (!file && !data) return usage("missing FILE or --data");
    // Data no edit would take as hex is a wrong command line, told before anything runs.
    std::string why;
    if (data && !ParseHexData(*data, &why)) return usage("--data: " + why);

    ConsolePrompts prompts(err);
    const CheckOutcome outcome = RunCheckComputation(file ? words[1] : std::string(), data.value_or(""), method, prompts);
    if (outcome.Failed || !outcome.ResultText) return kExitFailed;
    console.Line(*outcome.ResultText);
    return console.Finish(kExitOk, err);
}

}  // namespace torvane::cli
