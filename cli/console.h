#pragma once

#include <cstdio>
#include <deque>
#include <string>

#include "cli/command_line.h"
#include "core/operation_log.h"
#include "platform/prompts.h"

namespace torvane::cli {

// Prompts for a console: every box is printed to `err` as "CAPTION: TEXT", the
// merge's two questions are answered from the command line, and the open
// dialog answers with the file the command is loading.
class ConsolePrompts final : public Prompts {
public:
    explicit ConsolePrompts(std::FILE* err) : err_(err) {}

    OverlapAnswer onOverlap = OverlapAnswer::Cancel;
    OversizeAnswer onOversize = OversizeAnswer::Cancel;

    // The path the next open dialog returns.
    void AnswerNextOpen(const std::string& path) { opens_.push_back(path); }

    Answer Show(const MessageBox& box) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveFile(const FileDialog&) override { return std::nullopt; }

private:
    std::FILE* err_;
    std::deque<std::string> opens_;
};

// Prints every new log line to `out` as it is written: the "\r\n" ending
// becomes a newline, an empty line stays an empty line.
class LogPrinter final : public OperationLogListener {
public:
    LogPrinter(const OperationLog& log, std::FILE* out) : log_(log), out_(out) {}
    void OnLineWritten(int32_t index, bool added) override;
    void OnCleared() override {}

private:
    const OperationLog& log_;
    std::FILE* out_;
};

// A log line as the console prints it, without its newline.
std::string ConsoleLine(const std::string& logLine);

}  // namespace torvane::cli
