#include "cli/command_line.h"

#include "core/merge.h"
#include "core/merge_layout.h"

#include <algorithm>
#include <array>

#include "core/file_list.h"
#include "platform/files.h"

namespace torvane::cli {
namespace {

constexpr size_t kMaxFiles = 6;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool Fail(std::string& error, const std::string& message) {
    error = message;
    return false;
}

constexpr OptionRule kFileOptionTable[] = {
    {"--offset", true},
    {"--align", true},
    {"--fill", true},
    {"--keep-before-offset", false},
    {"--no-keep-before-offset", false},
    {"--as-bin", false},
};

// The verbs a global option belongs to.
enum VerbBit : unsigned {
    kHexToBin = 1u << 0,
    kAlign = 1u << 1,
    kMerge = 1u << 2,
    kRun = 1u << 3,
    kExport = 1u << 4,
    kMap = 1u << 5,
};

unsigned BitOf(BatchVerb verb) {
    switch (verb) {
        case BatchVerb::HexToBin: return kHexToBin;
        case BatchVerb::Align: return kAlign;
        case BatchVerb::Merge: return kMerge;
        case BatchVerb::Run: return kRun;
        case BatchVerb::Export: return kExport;
        case BatchVerb::Map: return kMap;
    }
    return 0;
}

constexpr OptionRule kGlobalOptionTable[] = {
    {"-o", true},  {"--config", true}, {"--layout", true}, {"--on-overlap", true}, {"--on-oversize", true},
    {"--log", true}, {"--map", true},  {"--format", true}, {"--field", true}, {"--base", true},
    {"--to", true}, {"--allow-incomplete", false}, {"--no-sync", false}, {"--gap-fill", true},
};
constexpr unsigned kGlobalOptionVerbs[] = {
    kMerge | kRun,                                   // -o
    kRun | kExport,                                  // --config
    kExport,                                         // --layout
    kMerge | kRun | kMap,                            // --on-overlap
    kMerge | kRun | kMap,                            // --on-oversize
    kHexToBin | kAlign | kMerge | kRun | kExport,    // --log
    kMerge | kRun,                                   // --map
    kMerge | kRun | kMap,                            // --format
    kMerge | kMap | kExport,                         // --field
    kMerge | kRun | kMap | kExport,                  // --base
    kExport,                                         // --to
    kMerge | kRun | kMap,                            // --allow-incomplete
    kHexToBin | kAlign | kMerge | kRun | kExport,    // --no-sync
    kHexToBin | kAlign | kMerge | kRun | kExport | kMap,  // --gap-fill
};
static_assert(std::size(kGlobalOptionTable) == std::size(kGlobalOptionVerbs));

// Every option of a batch command line, so that an option of another verb is
// named as such rather than as unknown.
constexpr auto kBatchOptionTable = [] {
    std::array<OptionRule, std::size(kFileOptionTable) + std::size(kGlobalOptionTable)> all{};
    size_t i = 0;
    for (const OptionRule& o : kFileOptionTable) all[i++] = o;
    for (const OptionRule& o : kGlobalOptionTable) all[i++] = o;
    return all;
}();

struct VerbWord {
    const char* word;
    BatchVerb verb;
};
constexpr VerbWord kVerbWords[] = {
    {"hex2bin", BatchVerb::HexToBin}, {"align", BatchVerb::Align},   {"merge", BatchVerb::Merge},
    {"run", BatchVerb::Run},          {"export", BatchVerb::Export}, {"map", BatchVerb::Map},
};

// The operations run can name.
std::optional<Operation> RunOperationOf(const std::string& word) {
    if (word == "hex2bin") return Operation::HexToBin;
    if (word == "merge") return Operation::Merge;
    if (word == "align") return Operation::Align;
    return std::nullopt;
}

// The format the command's merge writes, as far as the command line says:
// merge's -o (Merge.Bin without it), export's --to; map plans a BIN.
ImageFormat OutputFormatOf(const BatchCommand& cmd) {
    if (cmd.verb == BatchVerb::Merge) return FormatOfName(cmd.output.value_or("Merge.Bin"));
    if (cmd.verb == BatchVerb::Export && cmd.to) return FormatOfKeyword(*cmd.to).value_or(ImageFormat::Binary);
    return ImageFormat::Binary;
}

}  // namespace

const std::span<const OptionRule> kFileOptions(kFileOptionTable);
const std::span<const OptionRule> kGlobalOptions(kGlobalOptionTable);

bool ReadArguments(const std::vector<std::string>& args, size_t first, std::span<const OptionRule> options,
                   const std::function<bool(const Argument&)>& take, std::string& error) {
    bool optionsEnded = false;
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            continue;
        }
        Argument argument;
        argument.name = a;
        if (!optionsEnded && IsOption(a)) {
            const auto rule = std::find_if(options.begin(), options.end(),
                                           [&](const OptionRule& o) { return o.name == a; });
            if (rule == options.end()) return Fail(error, "unknown option '" + a + "'");
            argument.isOption = true;
            if (rule->takesValue) {
                if (i + 1 >= args.size()) return Fail(error, a + " needs a value");
                argument.value = args[++i];
            }
        }
        if (!take(argument)) return false;
    }
    return true;
}

bool TakeOnce(std::optional<std::string>& slot, const Argument& option, std::string& error) {
    if (slot) return Fail(error, option.name + " given twice");
    slot = option.value;
    return true;
}

std::optional<std::string> TakeFieldOptions(const std::vector<std::string>& args, std::vector<std::string>& rest,
                                            std::vector<FieldSpec>& fields) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (args[i] != "--field") {
            rest.push_back(args[i]);
            continue;
        }
        if (i + 1 == args.size()) return std::string("--field needs a value");
        std::string why;
        const std::optional<FieldSpec> field = ParseFieldSpec(args[++i], &why);
        if (!field) return "--field " + args[i] + ": " + why;
        fields.push_back(*field);
    }
    return std::nullopt;
}

bool ReadToolArguments(const std::vector<std::string>& args, std::span<const ToolOption> options,
                       std::vector<std::string>& words, std::string& error) {
    std::vector<OptionRule> rules;
    for (const ToolOption& o : options) rules.push_back(OptionRule{o.name, o.value != nullptr});
    const auto take = [&](const Argument& a) {
        if (!a.isOption) {
            words.push_back(a.name);
            return true;
        }
        const auto o = std::find_if(options.begin(), options.end(), [&](const ToolOption& t) { return t.name == a.name; });
        if (o->flag) *o->flag = true;
        return o->value == nullptr || TakeOnce(*o->value, a, error);
    };
    return ReadArguments(args, 0, rules, take, error);
}

std::optional<std::string> OutputNameProblem(std::string_view option, const std::string& name) {
    if (!EndsInSeparator(name)) return std::nullopt;
    return std::string(option) + " " + name + ": " + kNamesAFolderReason;
}

bool IsHexFieldValue(const std::string& text, size_t limit) {
    if (text.empty() || text.size() > limit) return false;
    return std::all_of(text.begin(), text.end(), IsHexDigit);
}

bool IsDecimalFieldValue(const std::string& text, size_t limit) {
    if (text.empty() || text.size() > limit) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const char* VerbName(BatchVerb verb) {
    for (const VerbWord& w : kVerbWords)
        if (w.verb == verb) return w.word;
    return "";
}

bool IsBatchCommandWord(const std::string& word) {
    return std::any_of(std::begin(kVerbWords), std::end(kVerbWords), [&](const VerbWord& w) { return word == w.word; });
}

bool IsFileOption(std::string_view name) {
    return std::any_of(kFileOptions.begin(), kFileOptions.end(), [&](const OptionRule& o) { return o.name == name; });
}

bool TakeFileOption(const Argument& option, FileArgument& next, std::string& error) {
    const std::string& a = option.name;
    const std::string& v = option.value;
    if (a == "--keep-before-offset" || a == "--no-keep-before-offset") {
        const bool keep = a == "--keep-before-offset";
        if (next.keepBeforeOffset && *next.keepBeforeOffset != keep)
            return Fail(error, "--keep-before-offset and --no-keep-before-offset given for one file");
        next.keepBeforeOffset = keep;
        return true;
    }
    if (a == "--as-bin") {
        next.asBin = true;
        return true;
    }
    if (a == "--offset") {
        if (next.offset) return Fail(error, "--offset given twice for one file");
        // What the row's offset edit can hold.
        if (!IsHexFieldValue(v, kHexEditLimit)) return Fail(error, "--offset takes 1 to 8 hex digits");
        next.offset = v;
        return true;
    }
    if (a == "--align") {
        if (next.polishType) return Fail(error, "--align given twice for one file");
        if (v == "1") next.polishType = 0;
        else if (v == "2") next.polishType = 1;
        else if (v == "4") next.polishType = 2;
        else if (v == "8") next.polishType = 3;
        else return Fail(error, "--align takes 1, 2, 4 or 8");
        return true;
    }
    if (a == "--fill") {
        if (next.polishData) return Fail(error, "--fill given twice for one file");
        if (v == "00") next.polishData = 0;
        else if (v == "FF" || v == "ff") next.polishData = 1;
        else return Fail(error, "--fill takes 00 or FF");
        return true;
    }
    return Fail(error, "unknown option '" + a + "'");
}

bool TakeGlobalOption(const Argument& option, BatchCommand& cmd, std::string& error) {
    const std::string& a = option.name;
    const std::string& v = option.value;
    size_t index = 0;
    while (index < std::size(kGlobalOptionTable) && kGlobalOptionTable[index].name != a) ++index;
    if (index == std::size(kGlobalOptionTable)) return Fail(error, "unknown option '" + a + "'");
    if ((kGlobalOptionVerbs[index] & BitOf(cmd.verb)) == 0)
        return Fail(error, a + " is not an option of " + VerbName(cmd.verb));

    if (a == "--no-sync") {
        cmd.noSync = true;
        return true;
    }
    if (a == "-o" || a == "--log" || a == "--map" || (a == "--config" && cmd.verb == BatchVerb::Export)) {
        // A name the command writes.
        if (const std::optional<std::string> problem = OutputNameProblem(a, v)) return Fail(error, *problem);
    }
    if (a == "-o") return TakeOnce(cmd.output, option, error);
    if (a == "--allow-incomplete") {
        cmd.allowIncomplete = true;
        return true;
    }
    if (a == "--field") {
        std::string why;
        const std::optional<FieldSpec> field = ParseFieldSpec(v, &why);
        if (!field) return Fail(error, "--field " + v + ": " + why);
        cmd.fields.push_back(*field);
        return true;
    }
    if (a == "--base") {
        if (!TakeOnce(cmd.base, option, error)) return false;
        return IsHexFieldValue(v, 8) || Fail(error, "--base takes 1 to 8 hex digits");
    }
    if (a == "--gap-fill") {
        if (cmd.gapFill) return Fail(error, "--gap-fill given twice");
        if (v == "row") cmd.gapFill = GapFill::RowFill;
        else if (v == "00") cmd.gapFill = GapFill::Zero;
        else return Fail(error, "--gap-fill takes row or 00");
        return true;
    }
    if (a == "--to") {
        if (!TakeOnce(cmd.to, option, error)) return false;
        return v == "bin" || v == "hex" || v == "srec" || Fail(error, "--to takes bin, hex or srec");
    }
    if (a == "--format") {
        if (!TakeOnce(cmd.format, option, error)) return false;
        return v == "text" || v == "json" || v == "svg" || Fail(error, "--format takes text, json or svg");
    }
    if (a == "--config" || a == "--log" || a == "--map") {
        std::optional<std::string>& slot = a == "--config" ? cmd.config : a == "--log" ? cmd.logFile : cmd.mapFile;
        if (!TakeOnce(slot, option, error)) return false;
        // These stand for a file dialog's answer, which is never empty.
        return !slot->empty() || Fail(error, a + " needs a file name");
    }
    if (a == "--layout") {
        if (!TakeOnce(cmd.layout, option, error)) return false;
        return v == "file" || v == "merge" || Fail(error, "--layout takes file or merge");
    }
    bool& given = a == "--on-overlap" ? cmd.overlapGiven : cmd.oversizeGiven;
    if (given) return Fail(error, a + " given twice");
    given = true;
    if (a == "--on-overlap") {
        if (v == "force") cmd.onOverlap = OverlapAnswer::Force;
        else if (v == "append") cmd.onOverlap = OverlapAnswer::Append;
        else if (v == "cancel") cmd.onOverlap = OverlapAnswer::Cancel;
        else return Fail(error, "--on-overlap takes force, append or cancel");
        return true;
    }
    if (v == "append") cmd.onOversize = OversizeAnswer::Append;
    else if (v == "cancel") cmd.onOversize = OversizeAnswer::Cancel;
    else return Fail(error, "--on-oversize takes append or cancel");
    return true;
}

std::optional<BatchCommand> ParseBatchCommand(const std::vector<std::string>& args, std::string& error) {
    if (args.empty()) {
        Fail(error, "missing command");
        return std::nullopt;
    }
    BatchCommand cmd;
    const auto word = std::find_if(std::begin(kVerbWords), std::end(kVerbWords),
                                   [&](const VerbWord& w) { return args[0] == w.word; });
    if (word == std::end(kVerbWords)) {
        Fail(error, "unknown command '" + args[0] + "'");
        return std::nullopt;
    }
    cmd.verb = word->verb;
    size_t first = 1;
    switch (cmd.verb) {
        case BatchVerb::HexToBin: cmd.operation = Operation::HexToBin; break;
        case BatchVerb::Align: cmd.operation = Operation::Align; break;
        case BatchVerb::Merge: cmd.operation = Operation::Merge; break;
        case BatchVerb::Export:
        case BatchVerb::Map: break;
        case BatchVerb::Run:
            cmd.operation = args.size() > 1 ? RunOperationOf(args[1]) : std::nullopt;
            if (!cmd.operation) {
                Fail(error, "run needs hex2bin, merge, align or serialize");
                return std::nullopt;
            }
            first = 2;
            break;
    }

    FileArgument next;
    bool nextHasOptions = false;
    const auto take = [&](const Argument& a) {
        if (a.isOption && IsFileOption(a.name)) {
            if (cmd.verb == BatchVerb::Run) return Fail(error, a.name + " is not an option of run");
            nextHasOptions = true;
            return TakeFileOption(a, next, error);
        }
        if (a.isOption) return TakeGlobalOption(a, cmd, error);
        if (cmd.verb == BatchVerb::Run) return Fail(error, "run takes no files: they come from the project file");
        // No file dialog gives an empty path.
        if (a.name.empty()) return Fail(error, "a FILE cannot be an empty name");
        if (cmd.files.size() == kMaxFiles) return Fail(error, "at most six files");
        next.path = a.name;
        cmd.files.push_back(std::move(next));
        next = FileArgument{};
        nextHasOptions = false;
        return true;
    };
    if (!ReadArguments(args, first, kBatchOptionTable, take, error)) return std::nullopt;

    bool ok = true;
    if (nextHasOptions) ok = Fail(error, "file options must stand before a file");
    else if ((cmd.verb == BatchVerb::Run || cmd.verb == BatchVerb::Export) && !cmd.config)
        ok = Fail(error, std::string(VerbName(cmd.verb)) + " needs --config");
    else if (cmd.verb != BatchVerb::Run && cmd.files.empty()) ok = Fail(error, "no file given");
    else if (cmd.output && cmd.operation != Operation::Merge) ok = Fail(error, "-o is an option of merge only");
    else if (cmd.mapFile && cmd.operation != Operation::Merge) ok = Fail(error, "--map is an option of merge only");
    else if (cmd.format && cmd.verb != BatchVerb::Map && !cmd.mapFile)
        ok = Fail(error, "--format says how --map writes the map: give --map FILE");
    else if (const std::optional<std::string> problem = MergeFieldsProblem(
                 cmd.fields, FieldAddresses::Map, cmd.base.value_or(""), OutputFormatOf(cmd)))
        ok = Fail(error, "--field: " + *problem);
    if (!ok) return std::nullopt;
    return cmd;
}

}  // namespace torvane::cli
