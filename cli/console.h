#pragma once

#include <cstdio>
#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "core/operation_log.h"
#include "platform/prompts.h"

namespace torvane::cli {

// Prompts for a console, used by every command: each box is printed to `err`
// as "CAPTION: TEXT" and each failure's reason as a line of its own; the
// merge's two questions, known by their kind, are answered from the command
// line, and any other question is declined; the open dialog answers with the
// file the command is loading, and every other dialog is cancelled.
class ConsolePrompts final : public Prompts {
public:
    explicit ConsolePrompts(std::FILE* err) : err_(err) {}
    ~ConsolePrompts() override;
    ConsolePrompts(const ConsolePrompts&) = delete;
    ConsolePrompts& operator=(const ConsolePrompts&) = delete;

    OverlapAnswer onOverlap = OverlapAnswer::Cancel;
    OversizeAnswer onOversize = OversizeAnswer::Cancel;
    bool allowIncomplete = false;  // a merge that left a file out writes its image anyway

    // The path the next open dialog returns.
    void AnswerNextOpen(const std::string& path) { opens_.push_back(path); }

    Answer Show(const MessageBox& box) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveFile(const FileDialog&) override { return std::nullopt; }
    // "torvane-cli: PATH (row N): REASON"; without " (row N)" for no row. A
    // reason is printed once a run, and so is a notice box followed only by
    // a reason already printed.
    void Explain(const FailureReason& reason) override;
    // "torvane-cli: PATH (row N): warning: REASON".
    void Warn(const FailureReason& reason) override;

private:
    void FlushHeldBox();

    std::FILE* err_;
    std::deque<std::string> opens_;
    std::set<std::string> reasonsSaid_;
    std::set<std::string> boxesSaid_;
    std::string heldBox_;  // a notice said before, printed unless its reason was too
};

// The standard output of one command, in the console's code page. Each line is flushed as it is written,
// so a reader sees the log as it grows. A failed write (a full disk, a closed
// pipe) does not stop the command: the first failure's system error is kept
// and reported once, when the command ends.
class ConsoleOut {
public:
    explicit ConsoleOut(std::FILE* out) : out_(out) {}

    // Writes the text and a newline.
    void Line(std::string_view text);
    // Writes the text as it is, in the console's code page (ToConsole).
    void Text(std::string_view text);
    // Writes UTF-8 bytes unchanged: JSON and SVG, which are UTF-8 wherever they go.
    void Raw(std::string_view bytes);

    // The exit status of a command that ended with `status`: when a write
    // failed, one line on `err` names standard output and the system's error
    // text, and a success becomes kExitFailed.
    int Finish(int status, std::FILE* err);

private:
    void Put(std::string_view utf8);
    void PutBytes(std::string_view bytes);

    std::FILE* out_;
    int error_ = 0;  // errno of the first failed write
};

// Prints every new log line as it is written: the "\r\n" ending becomes a
// newline, an empty line stays an empty line.
class LogPrinter final : public OperationLogListener {
public:
    LogPrinter(const OperationLog& log, ConsoleOut& out) : log_(log), out_(out) {}
    void OnLineWritten(int32_t index, bool added) override;
    void OnCleared() override {}

private:
    const OperationLog& log_;
    ConsoleOut& out_;
};

// A log line as the console prints it, without its newline.
std::string_view ConsoleLine(std::string_view logLine);

// The one form of torvane-cli's own lines on `err`: "torvane-cli: TEXT".
void ProblemLine(std::FILE* err, std::string_view text);

// Prints "torvane-cli: PROBLEM" and the usage text to `err`; returns kExitUsage.
// "torvane-cli: PATH: warning: TEXT" for each of a file's warnings.
void WarningLines(std::FILE* err, const std::string& path, const std::vector<std::string>& warnings);

int UsageError(std::FILE* err, const std::string& problem, const char* usage);

}  // namespace torvane::cli
