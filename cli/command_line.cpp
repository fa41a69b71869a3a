#include "cli/command_line.h"

#include <cstddef>

namespace torvane::cli {
namespace {

bool IsHexText(const std::string& s) {
    if (s.empty() || s.size() > 8) return false;
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

constexpr size_t kMaxFiles = 6;

}  // namespace

std::optional<BatchCommand> ParseBatchCommand(const std::vector<std::string>& args, std::string& error) {
    BatchCommand cmd;
    if (args.empty()) {
        error = "missing command";
        return std::nullopt;
    }
    cmd.command = args[0];
    const bool takesFiles = cmd.command == "hex2bin" || cmd.command == "align" || cmd.command == "merge" ||
                            cmd.command == "export";
    size_t i = 1;
    if (cmd.command == "run") {
        if (i >= args.size() || (args[i] != "hex2bin" && args[i] != "merge" && args[i] != "align")) {
            error = "run needs hex2bin, merge or align";
            return std::nullopt;
        }
        cmd.runOperation = args[i++];
    } else if (!takesFiles) {
        error = "unknown command '" + cmd.command + "'";
        return std::nullopt;
    }

    FileArgument pending;
    bool pendingOptions = false;
    auto value = [&](const std::string& option) -> const std::string* {
        if (i + 1 >= args.size()) {
            error = option + " needs a value";
            return nullptr;
        }
        i += 1;
        return &args[i];
    };

    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool fileOption = a == "--offset" || a == "--align" || a == "--fill" || a == "--keep-before-offset" ||
                                a == "--no-keep-before-offset";
        if (fileOption && !takesFiles) {
            error = a + " is not an option of run";
            return std::nullopt;
        }
        if (a == "--offset") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (!IsHexText(*v)) {
                error = "--offset takes 1 to 8 hex digits";
                return std::nullopt;
            }
            pending.offset = *v;
            pendingOptions = true;
        } else if (a == "--align") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (*v == "1") pending.polishType = 0;
            else if (*v == "2") pending.polishType = 1;
            else if (*v == "4") pending.polishType = 2;
            else if (*v == "8") pending.polishType = 3;
            else {
                error = "--align takes 1, 2, 4 or 8";
                return std::nullopt;
            }
            pendingOptions = true;
        } else if (a == "--fill") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (*v == "00") pending.polishData = 0;
            else if (*v == "FF" || *v == "ff") pending.polishData = 1;
            else {
                error = "--fill takes 00 or FF";
                return std::nullopt;
            }
            pendingOptions = true;
        } else if (a == "--keep-before-offset" || a == "--no-keep-before-offset") {
            pending.keepBeforeOffset = a == "--keep-before-offset";
            pendingOptions = true;
        } else if (a == "-o") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cmd.output = *v;
        } else if (a == "--config") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cmd.config = *v;
        } else if (a == "--layout") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (*v != "file" && *v != "merge") {
                error = "--layout takes file or merge";
                return std::nullopt;
            }
            cmd.layout = *v;
        } else if (a == "--log") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            cmd.logFile = *v;
        } else if (a == "--on-overlap") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (*v == "force") cmd.onOverlap = OverlapAnswer::Force;
            else if (*v == "append") cmd.onOverlap = OverlapAnswer::Append;
            else if (*v == "cancel") cmd.onOverlap = OverlapAnswer::Cancel;
            else {
                error = "--on-overlap takes force, append or cancel";
                return std::nullopt;
            }
        } else if (a == "--on-oversize") {
            const std::string* v = value(a);
            if (!v) return std::nullopt;
            if (*v == "append") cmd.onOversize = OversizeAnswer::Append;
            else if (*v == "cancel") cmd.onOversize = OversizeAnswer::Cancel;
            else {
                error = "--on-oversize takes append or cancel";
                return std::nullopt;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option '" + a + "'";
            return std::nullopt;
        } else {
            if (!takesFiles) {
                error = "run takes no files: they come from the project file";
                return std::nullopt;
            }
            if (cmd.files.size() == kMaxFiles) {
                error = "at most six files";
                return std::nullopt;
            }
            pending.path = a;
            cmd.files.push_back(pending);
            pending = FileArgument{};
            pendingOptions = false;
        }
    }

    if (pendingOptions) {
        error = "file options must stand before a file";
        return std::nullopt;
    }
    if (cmd.command == "run" || cmd.command == "export") {
        if (!cmd.config) {
            error = cmd.command + " needs --config";
            return std::nullopt;
        }
    }
    if (takesFiles && cmd.files.empty()) {
        error = "no file given";
        return std::nullopt;
    }
    if (cmd.command != "merge" && !(cmd.command == "run" && cmd.runOperation == "merge") && cmd.output) {
        error = "-o is an option of merge only";
        return std::nullopt;
    }
    return cmd;
}

}  // namespace torvane::cli
