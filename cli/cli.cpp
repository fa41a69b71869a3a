#include "cli/cli.h"

#include <cstdio>

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/nic_commands.h"
#include "cli/tool_commands.h"
#include "config/config_file.h"
#include "core/align.h"
#include "core/hex_to_bin.h"
#include "core/merge.h"
#include "core/workspace.h"

namespace torvane::cli {
namespace {

constexpr const char* kBatchUsage =
    "Usage:\n"
    "  torvane-cli hex2bin [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli align   [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli merge   [-o OUT] [PROMPT-ANSWERS] [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli run     hex2bin|merge|align --config PROJECT.ini [-o OUT] [PROMPT-ANSWERS]\n"
    "  torvane-cli export  --config PROJECT.ini [--layout file|merge] [FILE-OPTIONS] FILE ...\n"
    "%s"
    "  torvane-cli nic-info CONFIG\n"
    "  torvane-cli nic-upgrade --config CONFIG [--cdrom IMAGE] [--image IMAGE] [--production]\n"
    "  torvane-cli --help | --version\n"
    "\n"
    "Up to six files go into rows 1..6 in the order given, through the same checks\n"
    "as choosing them in the window. FILE-OPTIONS stand before the file they apply to:\n"
    "  --offset HEX             position in the merged image (HEX file: its lowest address)\n"
    "  --align 1|2|4|8          alignment (default 4)\n"
    "  --fill 00|FF             fill byte (default 00)\n"
    "  --keep-before-offset, --no-keep-before-offset\n"
    "                           keep the data before a HEX file's offset\n"
    "PROMPT-ANSWERS (merge):\n"
    "  --on-overlap force|append|cancel   a file overlaps the one before (default cancel)\n"
    "  --on-oversize append|cancel        the image would pass 6 MiB (default cancel)\n"
    "Any operation:\n"
    "  --log FILE               also save the log to FILE\n"
    "\n"
    "The log goes to stdout, message boxes to stderr. Exit status: 0 done, 1 a file\n"
    "was refused or failed or the merge was cancelled, 2 a wrong command line.\n";

void PrintUsage(std::FILE* stream) { std::fprintf(stream, kBatchUsage, kToolCommandsUsage); }

int UsageError(const std::string& message, std::FILE* err) {
    std::fprintf(err, "torvane-cli: %s\n\n", message.c_str());
    PrintUsage(err);
    return kExitUsage;
}

// Loads the files into rows 1..6 the way the "..." button does, then sets the
// options given for each. False when a file was refused.
bool LoadFiles(Workspace& ws, ConsolePrompts& prompts, const std::vector<FileArgument>& files) {
    for (size_t i = 0; i < files.size(); ++i) {
        const int row = static_cast<int>(i);
        const FileArgument& f = files[i];
        prompts.AnswerNextOpen(f.path);
        ws.rows().ChooseFile(row);
        RowControls& c = ws.rows().Controls(row);
        if (c.FileNameText != f.path || c.FileSizeText.empty()) return false;
        if (f.offset) c.BinOffsetText = *f.offset;
        if (f.polishType) c.PolishTypeIndex = *f.polishType;
        if (f.polishData) c.PolishDataIndex = *f.polishData;
        if (f.keepBeforeOffset) c.SaveOffsetData = *f.keepBeforeOffset;
    }
    return true;
}

bool RunOperation(Workspace& ws, const std::string& operation) {
    if (operation == "hex2bin") return HexToBinBatch(ws);
    if (operation == "align") return AlignBatch(ws);
    return MergeBatch(ws);
}

WorkMode ModeFor(const std::string& operation) {
    if (operation == "merge") return WorkMode::MergeMode;
    if (operation == "align") return WorkMode::AlignMode;
    return WorkMode::HexToBinMode;
}

int RunBatch(const BatchCommand& cmd, std::FILE* out, std::FILE* err) {
    ConsolePrompts prompts(err);
    prompts.onOverlap = cmd.onOverlap;
    prompts.onOversize = cmd.onOversize;
    Workspace ws(prompts);
    LogPrinter printer(ws.log(), out);
    ws.log().AddListener(&printer);

    const bool run = cmd.command == "run";
    const std::string operation = run ? cmd.runOperation : cmd.command;
    // The mode is chosen before the rows are filled, as a user picks the mode
    // and then the files; export takes the mode its layout belongs to.
    if (cmd.command == "export") {
        ws.SelectMode(cmd.layout.value_or("file") == "merge" ? WorkMode::MergeMode : WorkMode::HexToBinMode);
    } else {
        ws.SelectMode(ModeFor(operation));
    }
    if (operation == "merge") ws.OutputFileText = cmd.output.value_or("Merge.Bin");

    bool ok;
    if (run) {
        // A row the project names but that cannot be loaded would be left out
        // silently: nothing runs then.
        const ImportResult imported = ImportConfigFrom(ws, *cmd.config);
        ok = imported.accepted && imported.loaded == imported.named;
    } else {
        ok = LoadFiles(ws, prompts, cmd.files);
    }
    if (ok) ok = cmd.command == "export" ? ExportConfigTo(ws, *cmd.config) : RunOperation(ws, operation);

    if (cmd.logFile && ws.log().LineCount() > 0 && !ws.log().WriteToFile(*cmd.logFile)) {
        std::fprintf(err, "torvane-cli: cannot write the log to %s\n", cmd.logFile->c_str());
        ok = false;
    }
    ws.log().RemoveListener(&printer);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) return UsageError("no command given", err);
    const std::string& command = args[0];
    if (command == "--help" || command == "-h") {
        PrintUsage(out);
        return kExitOk;
    }
    if (command == "--version") {
        std::fputs("torvane-cli 1.2.0\n", out);
        return kExitOk;
    }
    if (command == "hex2bin" || command == "align" || command == "merge" || command == "run" || command == "export") {
        std::string error;
        const std::optional<BatchCommand> cmd = ParseBatchCommand(args, error);
        if (!cmd) return UsageError(error, err);
        return RunBatch(*cmd, out, err);
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "checksum") return RunChecksumCommand(rest, out, err);
    if (command == "testbin") return RunTestBinCommand(rest, out, err);
    if (command == "bin2c") return RunBinToCCommand(rest, out, err);
    if (command == "nic-info") return RunNicInfoCommand(rest, out, err);
    if (command == "nic-upgrade") return RunNicUpgradeCommand(rest, out, err);
    return UsageError("unknown command '" + command + "'", err);
}

int Main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return Run(args, stdout, stderr);
}

}  // namespace torvane::cli
