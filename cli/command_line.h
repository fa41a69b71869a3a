#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace torvane::cli {

// One FILE argument with the options that stood before it.
struct FileArgument {
    std::string path;                   // as given; never empty
    std::optional<std::string> offset;  // --offset: 1 to 8 hex digits
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
// Nothing, with `error` set, when the command line is wrong: an unknown option
// or one the command does not take, a missing or impossible value, an option
// given twice, more than six files. "--" ends the options; "-" is a file.
std::optional<BatchCommand> ParseBatchCommand(const std::vector<std::string>& args, std::string& error);

// What an edit with the hex key filter and a text limit of `limit` characters
// can hold when typed into: 1 to `limit` digits 0-9, A-F, a-f.
bool IsHexFieldValue(const std::string& text, size_t limit);

// 1 to `limit` digits 0-9.
bool IsDecimalFieldValue(const std::string& text, size_t limit);

// True when the argument is an option: it starts with '-' and is not "-" alone.
inline bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace torvane::cli
