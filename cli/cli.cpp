#include "cli/cli.h"

#include "torvane/version.h"

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/convert_command.h"
#include "cli/diff_command.h"
#include "cli/serialize_command.h"
#include "cli/stamp_command.h"
#include "cli/info_command.h"
#include "cli/nic_commands.h"
#include "cli/tool_commands.h"
#include "cli/verify_command.h"
#include "config/config_file.h"
#include "core/align.h"
#include "core/file_entry.h"
#include "core/hex_to_bin.h"
#include "core/language.h"
#include "core/memory_map.h"
#include "core/memory_map_format.h"
#include "core/merge.h"
#include "core/workspace.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/process.h"

namespace torvane::cli {
namespace {

WorkHook g_workHook = nullptr;

void StartWork(const std::string& command) {
    if (g_workHook) g_workHook(command);
}

constexpr const char* kBatchUsageHead =
    "Usage:\n"
    "  torvane-cli hex2bin [--gap-fill row|00] [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli align   [--gap-fill row|00] [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli merge   [-o OUT] [--base HEX] [--field FIELD ...] [--gap-fill row|00] [PROMPT-ANSWERS]\n"
    "                      [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli run     hex2bin|merge|align --config PROJECT.ini [-o OUT] [--base HEX] [--gap-fill row|00]\n"
    "                      [PROMPT-ANSWERS]\n"
    "  torvane-cli run     serialize --config PROJECT.ini --count K [--allow-reuse] [--force]\n"
    "  torvane-cli export  --config PROJECT.ini [--layout file|merge] [--to bin|hex|srec] [--base HEX]\n"
    "                      [--field FIELD ...] [--gap-fill row|00] [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli map     [PROMPT-ANSWERS] [FILE-OPTIONS] FILE ... [--format text|json|svg] [--base HEX]\n"
    "                      [--field FIELD ...] [--gap-fill row|00]\n"
    "  torvane-cli info    FILE [--format text|json]\n"
    "  torvane-cli convert IN -o OUT [--to hex|srec|bin] [--base HEX] [--record-size N]\n"
    "                      [--srec-type 1|2|3] [--fill HEX] [--fill-to START-END] [--crop START-END]\n"
    "  torvane-cli stamp   IMAGE -o OUT --field FIELD ... [--base HEX] [--fill HEX] [--in-place]\n"
    "  torvane-cli diff    A B [--base-a HEX] [--base-b HEX] [--fill HEX] [--range START-END]\n"
    "                      [--bytes N] [--format text|json]     exit 0 same, 1 differ, 2 trouble\n"
    "  torvane-cli verify  IMAGE (--field FIELD ... | --config PROJECT.ini) [--base HEX] [--fill HEX]\n"
    "                                                           exit 0 all match, 1 one does not, 2 trouble\n"
    "  torvane-cli serialize TEMPLATE -o PATTERN --serial AT:KIND --from N --count K [--step S]\n"
    "                      [--mac AT --mac-from MAC [--mac-step S]] [--field FIELD ...]\n"
    "                      [--manifest FILE.csv] [--allow-reuse] [--force] [--config PROJECT.ini]\n";
constexpr const char* kOtherUsageLines =
    "  torvane-cli nic-info CONFIG\n"
    "  torvane-cli nic-upgrade --config CONFIG [--cdrom IMAGE] [--image IMAGE] [--production]\n"
    "  torvane-cli --no-sync COMMAND ...    any command that writes files (see --no-sync)\n"
    "  torvane-cli --lang zh|en COMMAND ... the log and the boxes in Chinese or English\n"
    "                                       (default: LC_ALL, LC_MESSAGES, LANG, LANGUAGE)\n"
    "  torvane-cli --help | --version\n"
    "  torvane-cli COMMAND --help\n";
// What every batch command shares: the rows, the file options and the answers.
constexpr const char* kBatchOptionsHelp =
    "\n"
    "Up to six files go into rows 1..6 in the order given, through the same checks\n"
    "as choosing them in the window. FILE-OPTIONS stand before the file they apply to:\n"
    "  --offset HEX             position in the merged image (HEX file: its lowest address)\n"
    "  --align 1|2|4|8          alignment (default 4)\n"
    "  --fill 00|FF             fill byte (default 00)\n"
    "  --keep-before-offset, --no-keep-before-offset\n"
    "                           keep the data before a HEX file's offset (default: no)\n"
    "  --as-bin                 use a BIN file's bytes even when they read as HEX text\n"
    "Integrity fields (merge, map, export), written into the image after the files:\n"
    "  --field NAME@AT:START-END[:be]  NAME a CRC preset (crc32, crc32c, stm32, ...) or\n"
    "                           crc/WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT,\n"
    "                           add8|add16|add32, sum8|sum16|sum32|sum64, length32 or sha256;\n"
    "                           AT, START, END are the addresses the map shows (the image\n"
    "                           offset + the base of a HEX or S-record output, or --base;\n"
    "                           a BIN without --base: offsets). AT may be end, the first\n"
    "                           address after the image (its files and earlier fields),\n"
    "                           START start, END end, the image's last byte before the\n"
    "                           field: crc32@end:start-end appends the CRC of the image.\n"
    "PROMPT-ANSWERS (merge, map; run merge):\n"
    "  --on-overlap force|append|cancel   a file overlaps the one before (default cancel)\n"
    "  --on-oversize append|cancel        the image would pass 6 MiB (default cancel)\n"
    "  --allow-incomplete                 write the image although a file was left out\n"
    "                                     (default: nothing is written, an older OUT stays)\n"
    "merge: OUT ending in .hex or .ihx is written as Intel HEX, in an S-record ending as\n"
    "  S-records, else as BIN; --base HEX is the address of the image's first byte in\n"
    "  the records (default 08000000 when every HEX, S-record and ELF file lies there\n"
    "  or above, else 0); the map shows image offset + that base.\n"
    "export: --to, --base and each --field go into the project as the merge's own\n"
    "  settings; run merge takes them (its -o and --base win; without -o it writes\n"
    "  Merge.Bin, Merge.hex or Merge.srec by --to).\n"
    "Memory map:\n"
    "  map prints the layout the merge of the files would make and writes nothing;\n"
    "  merge --map FILE [--format text|json|svg] also writes the map of the merge it ran;\n"
    "  info prints the data segments of one file of any format.\n"
    "Formats (by the name's ending): .hex .ihx Intel HEX; .s19 .s28 .s37 .srec .mot .sx\n"
    "  S-records; .elf .axf .out ELF (read only, at the physical addresses); else BIN.\n"
    "convert: any format to any (--to, else OUT's ending), over the whole 32-bit space:\n"
    "  --base HEX               address of a BIN input's first byte (default 0)\n"
    "  --record-size N          data bytes a record, 1..255 (default 16)\n"
    "  --srec-type 1|2|3        S1, S2 or S3 records (default: by the highest address)\n"
    "  --fill HEX               fill byte of the gaps in a BIN and --fill-to (default 00)\n"
    "  --fill-to START-END      fill the gaps of the range; a BIN holds the range\n"
    "  --crop START-END         keep only the range (END its last address, as in --field)\n"
    "hex2bin, align, merge, map, run, export:\n"
    "  --gap-fill row|00        the gaps between a HEX, S-record or ELF file's own records:\n"
    "                           the file's --fill byte (row), or 00 (default)\n"
    "hex2bin, align, merge, run, export:\n"
    "  --log FILE               also save the log to FILE (written by every run)\n"
    "  --                       ends the options: a FILE after it may begin with '-'\n"
    "                           ('-' alone is always a FILE)\n"
    "Every command that writes files (hex2bin, align, merge, run, export, convert,\n"
    "  stamp, serialize, testbin, bin2c, nic-upgrade), also before the command word:\n"
    "  --no-sync                do not wait for each file written to reach the disk\n"
    "                           (also TORVANE_NO_SYNC=1); a file is still replaced\n"
    "                           whole or not at all, but a power cut may lose it\n"
    "A file to write whose name ends in '/' names a folder and is refused (exit 2).\n"
    "\n"
    "The log goes to stdout; message boxes go to stderr, each failure followed by a\n"
    "line that names the file, its row and the reason. Exit status: 0 done, 1 a file\n"
    "was refused or failed, the merge was cancelled or stdout could not be written,\n"
    "2 a wrong command line. diff and verify answer as diff(1) and cmp(1) do: 0 the images\n"
    "are the same (every field matches), 1 they differ (a field does not), 2 trouble: a\n"
    "file that cannot be read or a wrong command line.\n";

std::string UsageText() {
    return std::string(kBatchUsageHead) + kToolCommandsUsage + kOtherUsageLines + kBatchOptionsHelp;
}

// The usage of one command, for "torvane-cli COMMAND --help"; nothing for a
// word that is no command.
std::optional<std::string> CommandUsage(const std::string& command) {
    const std::pair<const char*, const char*> own[] = {
        {"checksum", kChecksumUsage}, {"testbin", kTestBinUsage},       {"bin2c", kBinToCUsage},
        {"info", kInfoUsage},         {"nic-info", kNicInfoUsage}, {"nic-upgrade", kNicUpgradeUsage},
        {"convert", kConvertUsage},   {"stamp", kStampUsage},         {"diff", kDiffUsage},
        {"verify", kVerifyUsage},     {"serialize", kSerializeUsage}};
    for (const auto& [word, usage] : own) {
        if (command == word) return std::string(usage);
    }
    if (!IsBatchCommandWord(command)) return std::nullopt;
    // Its line of the usage text, then what the batch commands share.
    std::string lines;
    bool taking = false;
    const std::string head = kBatchUsageHead;
    const std::string start = "  torvane-cli " + command + " ";
    for (size_t at = 0; at < head.size();) {
        const size_t end = head.find('\n', at);
        const std::string line = head.substr(at, end - at + 1);
        // A command's line and the lines that go on with it, indented under it.
        static const std::string kGoesOn(22, ' ');
        const bool commandLine = line.compare(0, start.size(), start) == 0;
        taking = commandLine || (taking && line.compare(0, kGoesOn.size(), kGoesOn) == 0);
        if (taking) lines += line;
        at = end + 1;
    }
    return "Usage:\n" + lines + kBatchOptionsHelp;
}

// A "--help" or "-h" among a command's words before "--".
bool AsksForHelp(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] == "--help" || args[i] == "-h") return true;
    }
    return false;
}

int BatchUsageError(const std::string& problem, std::FILE* err) {
    return UsageError(err, problem, ("\n" + UsageText()).c_str());
}

// Loads the files into rows 1..6 the way the "..." button does, then sets the
// options given for each. A path is made absolute first, as the file dialog
// gives a full path: the rows, the log and an exported project then name the
// file wherever they are read. False when a file was refused.
bool LoadFiles(Workspace& ws, ConsolePrompts& prompts, const std::vector<FileArgument>& files) {
    for (size_t i = 0; i < files.size(); ++i) {
        const int row = static_cast<int>(i);
        const FileArgument& f = files[i];
        const std::string path = AbsolutePath(f.path);
        prompts.AnswerNextOpen(path);
        ws.rows().ChooseFile(row);
        RowControls& c = ws.rows().Controls(row);
        if (c.FileNameText != path || c.FileSizeText.empty()) return false;
        // Every loaded row takes part: a HEX file that did not decode whole
        // fails its conversion with the log's line, as the window's would.
        c.Selected = true;
        ws.rows().Row(row).hexTextAsBin = f.asBin;
        if (f.offset) c.BinOffsetText = *f.offset;
        if (f.polishType) c.PolishTypeIndex = *f.polishType;
        if (f.polishData) c.PolishDataIndex = *f.polishData;
        if (f.keepBeforeOffset) c.SaveOffsetData = *f.keepBeforeOffset;
    }
    return true;
}

// A file of the run that saving the log (or the map) to `logFile` would
// replace: a row's file or the BIN file a HEX row converts to, the merge's
// output, the project, the other of the log and the map. Each pair is
// compared by SameFile: one file however it is spelled, also before it exists.
// Nothing when the log names none of them.
std::optional<std::string> LogClash(Workspace& ws, const BatchCommand& cmd, const std::string& logFile) {
    std::vector<std::string> files;
    for (const FileArgument& f : cmd.files) files.push_back(f.path);
    for (int row = 0; row < kRowCount; ++row) {
        files.push_back(ws.rows().Controls(row).FileNameText);
        files.push_back(ws.rows().Entry(row).FileName);
    }
    const size_t named = files.size();
    for (size_t i = 0; i < named; ++i)
        if (FileTypeOf(files[i]) == kHexFile) files.push_back(BinFileNameFor(files[i]));
    if (ws.Mode() == WorkMode::MergeMode) files.push_back(ws.OutputFileText);
    if (cmd.config) files.push_back(*cmd.config);
    for (const std::optional<std::string>* other : {&cmd.logFile, &cmd.mapFile})
        if (*other && &**other != &logFile) files.push_back(**other);
    for (const std::string& file : files)
        if (!file.empty() && SameFile(file, logFile)) return file;
    return std::nullopt;
}

// A run's project is one of its inputs: the file an operation of `run` writes
// (the merge's output, the BIN file of a HEX row) that is the project. Its
// problem line, or nothing.
std::optional<std::string> ProjectClash(Workspace& ws, const BatchCommand& cmd) {
    if (cmd.verb != BatchVerb::Run || !cmd.config) return std::nullopt;
    const std::string& project = *cmd.config;
    if (ws.Mode() == WorkMode::MergeMode && SameFile(ws.OutputFileText, project))
        return "the image cannot be saved to " + ws.OutputFileText + ": it is the project " + project +
               " of this run";
    for (int row = 0; row < kRowCount; ++row) {
        const std::string& file = ws.rows().Entry(row).FileName;
        if (file.empty() || FileTypeOf(file) != kHexFile) continue;
        const std::string bin = BinFileNameFor(file);
        if (SameFile(bin, project))
            return Format("the BIN file of row %d cannot be saved to %s: it is the project %s of this run", row + 1,
                          bin.c_str(), project.c_str());
    }
    return std::nullopt;
}

MergeAnswers AnswersOf(const BatchCommand& cmd) {
    MergeAnswers a;
    switch (cmd.onOverlap) {
        case OverlapAnswer::Force: a.overlap = MergeAnswers::Overlap::Force; break;
        case OverlapAnswer::Append: a.overlap = MergeAnswers::Overlap::Append; break;
        case OverlapAnswer::Cancel: a.overlap = MergeAnswers::Overlap::Cancel; break;
    }
    a.oversize = cmd.onOversize == OversizeAnswer::Append ? MergeAnswers::Oversize::Append
                                                           : MergeAnswers::Oversize::Cancel;
    a.incomplete = cmd.allowIncomplete ? MergeAnswers::Incomplete::Write : MergeAnswers::Incomplete::Keep;
    return a;
}

std::string FormatMap(const MergeMap& map, const std::optional<std::string>& format) {
    const std::string f = format.value_or("text");
    if (f == "json") return MergeMapJson(map);
    if (f == "svg") return MergeMapSvg(map);
    return MergeMapText(map);
}

// map: the plan of the merge, printed; true when that merge would write an
// image with every file in it.
bool PrintMap(Workspace& ws, const BatchCommand& cmd, ConsoleOut& console) {
    const MergeMap map = PlanMerge(ws, AnswersOf(cmd));
    const std::string text = FormatMap(map, cmd.format);
    if (cmd.format.value_or("text") == "text") console.Text(text);
    else console.Raw(text);
    return map.Complete();
}

bool RunOperation(Workspace& ws, const BatchCommand& cmd, ConsoleOut& console) {
    if (cmd.verb == BatchVerb::Map) return PrintMap(ws, cmd, console);
    if (!cmd.operation) return ExportConfigTo(ws, *cmd.config);
    switch (*cmd.operation) {
        case Operation::HexToBin: return HexToBinBatch(ws);
        case Operation::Align: return AlignBatch(ws);
        case Operation::Merge: return MergeBatch(ws);
    }
    return false;
}

// The mode is chosen before the rows are filled, as a user picks the mode and
// then the files; export takes the mode its layout belongs to.
void SelectMode(Workspace& ws, const BatchCommand& cmd) {
    if (cmd.verb == BatchVerb::Map) {
        ws.SelectMode(WorkMode::MergeMode);
        if (cmd.base) ws.MergeBaseText = *cmd.base;
        return;
    }
    if (!cmd.operation) {
        ws.SelectMode(cmd.layout.value_or("file") == "merge" ? WorkMode::MergeMode : WorkMode::HexToBinMode);
        if (cmd.base) ws.MergeBaseText = *cmd.base;
        if (cmd.to) ws.SetMergeFormat(FormatOfKeyword(*cmd.to).value_or(ImageFormat::Binary));
        return;
    }
    switch (*cmd.operation) {
        case Operation::HexToBin: ws.SelectMode(WorkMode::HexToBinMode); break;
        case Operation::Align: ws.SelectMode(WorkMode::AlignMode); break;
        case Operation::Merge:
            ws.SelectMode(WorkMode::MergeMode);
            ws.SetOutputFile(cmd.output.value_or("Merge.Bin"));
            if (cmd.base) ws.MergeBaseText = *cmd.base;
            break;
    }
}

// Fills the rows from the project (run) or from the FILE arguments. False when
// a row was refused.
bool LoadRows(Workspace& ws, ConsolePrompts& prompts, const BatchCommand& cmd) {
    if (cmd.verb != BatchVerb::Run) return LoadFiles(ws, prompts, cmd.files);
    // A row the project names but that cannot be loaded would be left out
    // silently, and a file that no longer has the size the project recorded is
    // not the file the project was made with: nothing runs then.
    const ImportResult imported = ImportConfigFrom(ws, *cmd.config);
    // The project's merge settings, where the command line does not name its own.
    if (cmd.output) ws.SetOutputFile(*cmd.output);
    if (cmd.base) ws.MergeBaseText = *cmd.base;
    if (cmd.gapFill) ws.HexGapFill = *cmd.gapFill;
    return imported.accepted && imported.loaded == imported.named && imported.changed == 0;
}

int RunBatch(const BatchCommand& cmd, std::FILE* out, std::FILE* err) {
    ConsoleOut console(out);
    ConsolePrompts prompts(err);
    prompts.onOverlap = cmd.onOverlap;
    prompts.onOversize = cmd.onOversize;
    prompts.allowIncomplete = cmd.allowIncomplete;
    Workspace ws(prompts);
    LogPrinter printer(ws.log(), console);
    ws.log().AddListener(&printer);

    if (cmd.noSync) SetDurableWrites(false);
    SelectMode(ws, cmd);
    ws.MergeFields = cmd.fields;
    if (cmd.gapFill) ws.HexGapFill = *cmd.gapFill;

    bool ok = false;
    // The log is saved whatever the run ends in, also when an exception stops
    // it (which then goes on to Run's guard), so a --log file never keeps an
    // older run's lines. It is not saved over a file of the run, nor when the
    // run stopped before that was checked.
    bool saveLog = false;
    std::exception_ptr escaped;
    try {
        ok = LoadRows(ws, prompts, cmd);
        const std::optional<std::string> clash = cmd.logFile ? LogClash(ws, cmd, *cmd.logFile) : std::nullopt;
        const std::optional<std::string> mapClash = cmd.mapFile ? LogClash(ws, cmd, *cmd.mapFile) : std::nullopt;
        const std::optional<std::string> projectClash = ok ? ProjectClash(ws, cmd) : std::nullopt;
        saveLog = cmd.logFile && !clash;
        if (projectClash) {
            ProblemLine(err, *projectClash);
            ok = false;
        } else if (clash) {
            ProblemLine(err, "the log cannot be saved to " + *cmd.logFile + ": it is the file " + *clash +
                                 " of this run");
            ok = false;
        } else if (mapClash) {
            ProblemLine(err, "the map cannot be saved to " + *cmd.mapFile + ": it is the file " + *mapClash +
                                 " of this run");
            ok = false;
        } else if (ok) {
            StartWork(VerbName(cmd.verb));
            ok = RunOperation(ws, cmd, console);
        }
        // The map of the merge that ran, also of one that stopped.
        if (cmd.mapFile && !mapClash && ws.LastMergeMap) {
            const std::string text = FormatMap(*ws.LastMergeMap, cmd.format);
            if (!WriteWholeFile(*cmd.mapFile, text.data(), text.size())) {
                const std::string problem = FileProblem(*cmd.mapFile, FileUse::Write);
                ProblemLine(err, "cannot write the map to " + *cmd.mapFile + ": " + problem);
                ok = false;
            }
        }
    } catch (...) {
        escaped = std::current_exception();
    }
    ws.log().RemoveListener(&printer);
    if (saveLog && !ws.log().WriteToFile(*cmd.logFile)) {
        const std::string problem = FileProblem(*cmd.logFile, FileUse::Write);
        ProblemLine(err, "cannot write the log to " + *cmd.logFile + ": " + problem);
        ok = false;
    }
    if (escaped) std::rethrow_exception(escaped);
    return console.Finish(ok ? kExitOk : kExitFailed, err);
}

// The options before the command word, which apply to any command: --no-sync
// and --lang zh|en. The index of the command word; nothing for a --lang
// without its word, with `problem` saying so.
std::optional<size_t> TakeLeadingOptions(const std::vector<std::string>& args, std::string& problem) {
    size_t at = 0;
    while (at < args.size()) {
        if (args[at] == "--no-sync") {
            SetDurableWrites(false);
            ++at;
        } else if (args[at] == "--lang") {
            const std::optional<Language> language =
                at + 1 < args.size() ? LanguageOfWord(args[at + 1]) : std::nullopt;
            if (!language) {
                problem = "--lang takes zh or en";
                return std::nullopt;
            }
            SetLanguage(*language);
            at += 2;
        } else {
            break;
        }
    }
    return at;
}

int Dispatch(const std::vector<std::string>& allArgs, std::FILE* out, std::FILE* err) {
    std::string problem;
    const std::optional<size_t> commandAt = TakeLeadingOptions(allArgs, problem);
    if (!commandAt) return BatchUsageError(problem, err);
    const std::vector<std::string> args(allArgs.begin() + static_cast<std::ptrdiff_t>(*commandAt), allArgs.end());
    if (args.empty()) return BatchUsageError("no command given", err);
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "--version") {
        ConsoleOut console(out);
        console.Text(command == "--version" ? std::string("torvane-cli " TORVANE_VERSION "\n") : UsageText());
        return console.Finish(kExitOk, err);
    }
    const bool runSerialize = command == "run" && args.size() > 1 && args[1] == "serialize";
    if (AsksForHelp(args)) {
        if (const std::optional<std::string> usage = CommandUsage(runSerialize ? "serialize" : command)) {
            ConsoleOut console(out);
            console.Text(*usage);
            return console.Finish(kExitOk, err);
        }
    }
    if (runSerialize) {
        StartWork("serialize");
        return RunProjectSerializeCommand(std::vector<std::string>(args.begin() + 2, args.end()), out, err);
    }
    if (IsBatchCommandWord(command)) {
        std::string error;
        const std::optional<BatchCommand> cmd = ParseBatchCommand(args, error);
        if (!cmd) return BatchUsageError(error, err);
        return RunBatch(*cmd, out, err);
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    StartWork(command);
    if (command == "checksum") return RunChecksumCommand(rest, out, err);
    if (command == "testbin") return RunTestBinCommand(rest, out, err);
    if (command == "bin2c") return RunBinToCCommand(rest, out, err);
    if (command == "nic-info") return RunNicInfoCommand(rest, out, err);
    if (command == "nic-upgrade") return RunNicUpgradeCommand(rest, out, err);
    if (command == "info") return RunInfoCommand(rest, out, err);
    if (command == "convert") return RunConvertCommand(rest, out, err);
    if (command == "stamp") return RunStampCommand(rest, out, err);
    if (command == "diff") return RunDiffCommand(rest, out, err);
    if (command == "verify") return RunVerifyCommand(rest, out, err);
    if (command == "serialize") return RunSerializeCommand(rest, out, err);
    return BatchUsageError("unknown command '" + command + "'", err);
}

}  // namespace

void SetWorkHookForTesting(WorkHook hook) { g_workHook = hook; }

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    // Each run starts from the environment's choice; --no-sync then turns the
    // sync off for this run alone.
    const char* noSync = std::getenv("TORVANE_NO_SYNC");
    SetDurableWrites(noSync == nullptr || std::string(noSync) != "1");
    // --lang holds for this run alone; the language chosen at start comes back.
    struct KeepLanguage {
        Language language = CurrentLanguage();
        ~KeepLanguage() { SetLanguage(language); }
    } keepLanguage;
    // The one guard of every command: whatever escapes is reported, never an
    // abort that leaves a script guessing.
    try {
        return Dispatch(args, out, err);
    } catch (const std::bad_alloc&) {
        ProblemLine(err, "out of memory");
    } catch (const std::exception& e) {
        ProblemLine(err, e.what());
    } catch (...) {
        ProblemLine(err, "unexpected failure");
    }
    return kExitFailed;
}

int Main(int argc, char** argv) {
#ifdef SIGPIPE
    // A reader that closes the pipe early (`| head -1`) must not end the
    // process between two files: the write fails with EPIPE instead, and the
    // failure is reported when the command ends.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    UseUtf8Console();
    // The log and the boxes speak the user's language, chosen as command-line
    // programs choose it; reasons and usage stay English.
    SetLanguage(LanguageOfEnvironment(SystemLocaleName()));
    std::vector<std::string> args = ProgramArguments(argc, argv);
    if (!args.empty()) args.erase(args.begin());
    return Run(args, stdout, stderr);
}

}  // namespace torvane::cli
