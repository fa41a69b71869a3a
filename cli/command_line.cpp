#include "cli/command_line.h"

#include "core/file_list.h"

namespace torvane::cli {
namespace {

constexpr size_t kMaxFiles = 6;

// The commands an option belongs to.
enum CommandBit : unsigned {
    kHexToBin = 1u << 0,
    kAlign = 1u << 1,
    kMerge = 1u << 2,
    kRun = 1u << 3,
    kExport = 1u << 4,
};
constexpr unsigned kFileCommands = kHexToBin | kAlign | kMerge | kExport;
constexpr unsigned kAllCommands = kFileCommands | kRun;

struct OptionRule {
    const char* name;
    unsigned commands;
};
constexpr OptionRule kOptionRules[] = {
    {"--offset", kFileCommands},
    {"--align", kFileCommands},
    {"--fill", kFileCommands},
    {"--keep-before-offset", kFileCommands},
    {"--no-keep-before-offset", kFileCommands},
    {"-o", kMerge | kRun},
    {"--config", kRun | kExport},
    {"--layout", kExport},
    {"--on-overlap", kMerge | kRun},
    {"--on-oversize", kMerge | kRun},
    {"--log", kAllCommands},
};

unsigned CommandBitOf(const std::string& command) {
    if (command == "hex2bin") return kHexToBin;
    if (command == "align") return kAlign;
    if (command == "merge") return kMerge;
    if (command == "run") return kRun;
    if (command == "export") return kExport;
    return 0;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

class Parser {
public:
    Parser(const std::vector<std::string>& args, std::string& error) : args_(args), error_(error) {}

    std::optional<BatchCommand> Parse();

private:
    bool Fail(const std::string& message) {
        error_ = message;
        return false;
    }
    // Moves to the value of the option at the current position.
    const std::string* Value();
    // Takes the option's value into `slot`; a second value is an error, as it
    // would leave the reader to guess which one counts.
    bool Once(std::optional<std::string>& slot);
    bool Option();
    bool FileOption();
    bool File(const std::string& path);
    bool Finish();

    const std::vector<std::string>& args_;
    std::string& error_;
    size_t i_ = 1;
    unsigned bit_ = 0;
    BatchCommand cmd_;
    FileArgument pending_;
    bool pendingOptions_ = false;
    bool overlapGiven_ = false;
    bool oversizeGiven_ = false;
};

const std::string* Parser::Value() {
    if (i_ + 1 >= args_.size()) {
        Fail(args_[i_] + " needs a value");
        return nullptr;
    }
    return &args_[++i_];
}

bool Parser::Once(std::optional<std::string>& slot) {
    const std::string& option = args_[i_];
    const std::string* v = Value();
    if (!v) return false;
    if (slot) return Fail(option + " given twice");
    slot = *v;
    return true;
}

std::optional<BatchCommand> Parser::Parse() {
    if (args_.empty()) {
        Fail("missing command");
        return std::nullopt;
    }
    cmd_.command = args_[0];
    bit_ = CommandBitOf(cmd_.command);
    if (bit_ == 0) {
        Fail("unknown command '" + cmd_.command + "'");
        return std::nullopt;
    }
    if (bit_ == kRun) {
        if (i_ >= args_.size() || (args_[i_] != "hex2bin" && args_[i_] != "merge" && args_[i_] != "align")) {
            Fail("run needs hex2bin, merge or align");
            return std::nullopt;
        }
        cmd_.runOperation = args_[i_++];
    }
    bool optionsEnded = false;
    for (; i_ < args_.size(); ++i_) {
        const std::string& a = args_[i_];
        bool ok;
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            ok = true;
        } else if (!optionsEnded && IsOption(a)) {
            ok = Option();
        } else {
            ok = File(a);
        }
        if (!ok) return std::nullopt;
    }
    if (!Finish()) return std::nullopt;
    return std::move(cmd_);
}

bool Parser::Option() {
    const std::string& a = args_[i_];
    const OptionRule* rule = nullptr;
    for (const OptionRule& r : kOptionRules)
        if (a == r.name) rule = &r;
    if (!rule) return Fail("unknown option '" + a + "'");
    if ((rule->commands & bit_) == 0) return Fail(a + " is not an option of " + cmd_.command);
    if (rule->commands == kFileCommands) return FileOption();

    if (a == "-o") return Once(cmd_.output);
    if (a == "--config" || a == "--log") {
        std::optional<std::string>& slot = a == "--config" ? cmd_.config : cmd_.logFile;
        if (!Once(slot)) return false;
        // These stand for a file dialog's answer, which is never empty.
        return !slot->empty() || Fail(a + " needs a file name");
    }
    if (a == "--layout") {
        if (!Once(cmd_.layout)) return false;
        return *cmd_.layout == "file" || *cmd_.layout == "merge" || Fail("--layout takes file or merge");
    }
    bool& given = a == "--on-overlap" ? overlapGiven_ : oversizeGiven_;
    const std::string* v = Value();
    if (!v) return false;
    if (given) return Fail(a + " given twice");
    given = true;
    if (a == "--on-overlap") {
        if (*v == "force") cmd_.onOverlap = OverlapAnswer::Force;
        else if (*v == "append") cmd_.onOverlap = OverlapAnswer::Append;
        else if (*v == "cancel") cmd_.onOverlap = OverlapAnswer::Cancel;
        else return Fail("--on-overlap takes force, append or cancel");
    } else {
        if (*v == "append") cmd_.onOversize = OversizeAnswer::Append;
        else if (*v == "cancel") cmd_.onOversize = OversizeAnswer::Cancel;
        else return Fail("--on-oversize takes append or cancel");
    }
    return true;
}

bool Parser::FileOption() {
    const std::string& a = args_[i_];
    pendingOptions_ = true;
    if (a == "--keep-before-offset" || a == "--no-keep-before-offset") {
        const bool keep = a == "--keep-before-offset";
        if (pending_.keepBeforeOffset && *pending_.keepBeforeOffset != keep)
            return Fail("--keep-before-offset and --no-keep-before-offset given for one file");
        pending_.keepBeforeOffset = keep;
        return true;
    }
    const std::string* v = Value();
    if (!v) return false;
    if (a == "--offset") {
        if (pending_.offset) return Fail("--offset given twice for one file");
        // What the row's offset edit can hold.
        if (!IsHexFieldValue(*v, kHexEditLimit)) return Fail("--offset takes 1 to 8 hex digits");
        pending_.offset = *v;
    } else if (a == "--align") {
        if (pending_.polishType) return Fail("--align given twice for one file");
        if (*v == "1") pending_.polishType = 0;
        else if (*v == "2") pending_.polishType = 1;
        else if (*v == "4") pending_.polishType = 2;
        else if (*v == "8") pending_.polishType = 3;
        else return Fail("--align takes 1, 2, 4 or 8");
    } else {
        if (pending_.polishData) return Fail("--fill given twice for one file");
        if (*v == "00") pending_.polishData = 0;
        else if (*v == "FF" || *v == "ff") pending_.polishData = 1;
        else return Fail("--fill takes 00 or FF");
    }
    return true;
}

bool Parser::File(const std::string& path) {
    if (bit_ == kRun) return Fail("run takes no files: they come from the project file");
    // No file dialog gives an empty path.
    if (path.empty()) return Fail("a FILE cannot be an empty name");
    if (cmd_.files.size() == kMaxFiles) return Fail("at most six files");
    pending_.path = path;
    cmd_.files.push_back(pending_);
    pending_ = FileArgument{};
    pendingOptions_ = false;
    return true;
}

bool Parser::Finish() {
    if (pendingOptions_) return Fail("file options must stand before a file");
    if ((bit_ == kRun || bit_ == kExport) && !cmd_.config) return Fail(cmd_.command + " needs --config");
    if (bit_ != kRun && cmd_.files.empty()) return Fail("no file given");
    if (cmd_.output && bit_ != kMerge && cmd_.runOperation != "merge") return Fail("-o is an option of merge only");
    return true;
}

}  // namespace

std::optional<BatchCommand> ParseBatchCommand(const std::vector<std::string>& args, std::string& error) {
    return Parser(args, error).Parse();
}

bool IsHexFieldValue(const std::string& text, size_t limit) {
    if (text.empty() || text.size() > limit) return false;
    for (char c : text)
        if (!IsHexDigit(c)) return false;
    return true;
}

bool IsDecimalFieldValue(const std::string& text, size_t limit) {
    if (text.empty() || text.size() > limit) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace torvane::cli
