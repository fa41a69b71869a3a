#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/integrity_fields.h"

#include "core/workspace.h"

namespace torvane::cli {

// The option reader every command uses.

// One option a command knows.
struct OptionRule {
    std::string_view name;  // "-o", "--config"
    bool takesValue;        // the next argument, whatever it is, is its value
};

// One argument as the reader found it: an option of the table, or a word.
struct Argument {
    bool isOption = false;
    std::string name;   // the option; the word itself for a word
    std::string value;  // the option's value, when it takes one
};

// Reads args[first..] in order and hands each option and word to `take`,
// which returns false, with `error` set, to stop. "--" ends the options: every
// argument after it is a word, and so is "-" alone. False, with `error` set,
// when `take` stopped, for an option the table does not hold, or for a value
// missing at the end.
bool ReadArguments(const std::vector<std::string>& args, size_t first, std::span<const OptionRule> options,
                   const std::function<bool(const Argument&)>& take, std::string& error);

// Takes the option's value into `slot`. A second value is an error, as it
// would leave the reader to guess which one counts.
bool TakeOnce(std::optional<std::string>& slot, const Argument& option, std::string& error);

// An option of a tool or adapter command: a value option puts its value in
// `value` (at most once), a flag sets `flag`.
struct ToolOption {
    std::string_view name;
    std::optional<std::string>* value = nullptr;
    bool* flag = nullptr;
};

// Takes every "--field FIELD" out of a command's arguments (--field may be
// given many times, so the options are read one field at a time), the other
// words into `rest` in order; everything from "--" on stays in `rest`. The
// usage problem for a --field without its value or with a wrong one.
std::optional<std::string> TakeFieldOptions(const std::vector<std::string>& args, std::vector<std::string>& rest,
                                            std::vector<FieldSpec>& fields);

// Reads the arguments of a tool or adapter command: the options into their
// places, every other word into `words`. False, with `error` set, as
// ReadArguments, or for a value option given twice.
bool ReadToolArguments(const std::vector<std::string>& args, std::span<const ToolOption> options,
                       std::vector<std::string>& words, std::string& error);

// The reason line for a file name the command is to write that ends in a
// separator (it names a folder: "-o new.hex/"), refused as a wrong command
// line before any work; nothing for any other name.
std::optional<std::string> OutputNameProblem(std::string_view option, const std::string& name);

// True when the argument is an option: it starts with '-' and is not "-" alone.
inline bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// What an edit with the hex key filter and a text limit of `limit` characters
// can hold when typed into: 1 to `limit` digits 0-9, A-F, a-f.
bool IsHexFieldValue(const std::string& text, size_t limit);

// 1 to `limit` digits 0-9.
bool IsDecimalFieldValue(const std::string& text, size_t limit);

// The batch commands.

enum class BatchVerb { HexToBin, Align, Merge, Run, Export, Map };

// The command word of a verb.
const char* VerbName(BatchVerb verb);
// True when the word is one of the batch commands'.
bool IsBatchCommandWord(const std::string& word);

// One FILE argument with the options that stood before it.
struct FileArgument {
    std::string path;                   // as given; never empty
    std::optional<std::string> offset;  // --offset: 1 to 8 hex digits
    std::optional<int> polishType;      // --align 1|2|4|8 as 0..3
    std::optional<int> polishData;      // --fill 00|FF as 0/1
    std::optional<bool> keepBeforeOffset;
    bool asBin = false;  // --as-bin: raw bytes even if they read as HEX text
};

enum class OverlapAnswer { Force, Append, Cancel };
enum class OversizeAnswer { Append, Cancel };

// A parsed batch command line.
struct BatchCommand {
    BatchVerb verb = BatchVerb::HexToBin;
    // The operation that runs: hex2bin's, align's and merge's own, the one run
    // names; export and map run none (map only plans a merge).
    std::optional<Operation> operation;
    std::vector<FileArgument> files;     // at most six
    std::optional<std::string> output;   // -o
    std::optional<std::string> base;     // merge, run, map, export: --base, the address of the image's first byte
    std::optional<std::string> to;       // export: --to bin|hex|srec, the format the project's merge writes
    std::optional<std::string> config;   // --config
    std::optional<std::string> layout;   // export: --layout file|merge
    std::optional<std::string> logFile;  // --log
    std::optional<std::string> mapFile;  // merge: --map
    std::optional<std::string> format;   // map, merge --map: --format text|json|svg
    OverlapAnswer onOverlap = OverlapAnswer::Cancel;
    OversizeAnswer onOversize = OversizeAnswer::Cancel;
    bool overlapGiven = false;
    bool oversizeGiven = false;
    bool allowIncomplete = false;   // merge, run, map: --allow-incomplete
    bool noSync = false;  // --no-sync: see SetDurableWrites
    std::optional<GapFill> gapFill;  // every batch verb: --gap-fill row|00, the gaps of HEX rows
    std::vector<FieldSpec> fields;  // merge, map, export: --field, in their order
};

// The file options (--offset, --align, --fill, --keep-before-offset,
// --no-keep-before-offset), which stand before the file they apply to.
extern const std::span<const OptionRule> kFileOptions;
bool IsFileOption(std::string_view name);
// Takes a file option into `next`, the file that follows. False, with `error`
// set, for a value the row's field could not hold or an option given twice
// for one file.
bool TakeFileOption(const Argument& option, FileArgument& next, std::string& error);

// The options that apply to the whole command (-o, --config, --layout,
// --on-overlap, --on-oversize, --allow-incomplete, --log, --map, --format, --field,
// --base, --to, --no-sync), each taken by some of the verbs.
extern const std::span<const OptionRule> kGlobalOptions;
// Takes a global option into `cmd`. False, with `error` set, for an option
// the verb does not take, a value it cannot have (also a file to write whose
// name ends in a separator), an option given twice.
bool TakeGlobalOption(const Argument& option, BatchCommand& cmd, std::string& error);

// Parses the arguments of a batch command (args[0] is the command word).
// Nothing, with `error` set, when the command line is wrong: an unknown
// command or option or one the command does not take, a missing or impossible
// value, an option given twice, more than six files. "--" ends the options;
// "-" is a file.
std::optional<BatchCommand> ParseBatchCommand(const std::vector<std::string>& args, std::string& error);

}  // namespace torvane::cli
