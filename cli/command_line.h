#pragma once

#include <optional>
#include <string>
#include <vector>

namespace torvane::cli {

// One FILE argument with the options that stood before it.
struct FileArgument {
    std::string path;
    std::optional<std::string> offset;  // --offset: hex digits, at most 8
    std::optional<int> polishType;      // --align 1|2|4|8 as 0..3
    std::optional<int> polishData;      // --fill 00|FF as 0/1
    std::optional<bool> keepBeforeOffset;
};

enum class OverlapAnswer { Force, Append, Cancel };
enum class OversizeAnswer { Append, Cancel };

// A parsed batch command line: hex2bin, align, merge, run or export.
struct BatchCommand {
    std::string command;                 // "hex2bin", "align", "merge", "run", "export"
    std::string runOperation;            // run: "hex2bin", "merge" or "align"
    std::vector<FileArgument> files;     // at most six
    std::optional<std::string> output;   // -o
    std::optional<std::string> config;   // --config
    std::optional<std::string> layout;   // export: --layout file|merge
    std::optional<std::string> logFile;  // --log
    OverlapAnswer onOverlap = OverlapAnswer::Cancel;
    OversizeAnswer onOversize = OversizeAnswer::Cancel;
};

// Parses the arguments after a batch command word (args[0] is the command).
// Nothing, with `error` set, when the command line is wrong.
std::optional<BatchCommand> ParseBatchCommand(const std::vector<std::string>& args, std::string& error);

}  // namespace torvane::cli
