#include "cli/console.h"

#include <cerrno>
#include <cstring>

#include "cli/cli.h"

namespace torvane::cli {

Answer ConsolePrompts::Show(const MessageBox& box) {
    std::fprintf(err_, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    std::fflush(err_);
    switch (box.buttons) {
        case MessageButtons::Ok: return Answer::Ok;
        case MessageButtons::YesNoCancel:
            // Only the merge's overlap question has three answers.
            switch (onOverlap) {
                case OverlapAnswer::Force: return Answer::Yes;
                case OverlapAnswer::Append: return Answer::No;
                case OverlapAnswer::Cancel: return Answer::Cancel;
            }
            return Answer::Cancel;
        case MessageButtons::YesNo:
            // The merge's size question; any other question is declined.
            if (box.caption != "提示") return Answer::No;
            return onOversize == OversizeAnswer::Append ? Answer::Yes : Answer::No;
    }
    return Answer::Cancel;
}

std::optional<std::string> ConsolePrompts::OpenFile(const FileDialog&) {
    if (opens_.empty()) return std::nullopt;
    std::string path = opens_.front();
    opens_.pop_front();
    return path;
}

void ConsoleOut::Put(std::string_view text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out_) != text.size() && error_ == 0)
        error_ = errno != 0 ? errno : EIO;
}

void ConsoleOut::Text(std::string_view text) {
    Put(text);
    if (std::fflush(out_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void ConsoleOut::Line(std::string_view text) {
    Put(text);
    Text("\n");
}

int ConsoleOut::Finish(int status, std::FILE* err) {
    if (std::fflush(out_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
    // The stream's own error flag counts too; errno would be stale by now.
    if (std::ferror(out_) && error_ == 0) error_ = EIO;
    if (error_ == 0) return status;
    std::fprintf(err, "torvane-cli: cannot write to standard output: %s\n", std::strerror(error_));
    return status == kExitOk ? kExitFailed : status;
}

std::string_view ConsoleLine(std::string_view logLine) {
    if (logLine.ends_with("\r\n")) logLine.remove_suffix(2);
    return logLine;
}

void LogPrinter::OnLineWritten(int32_t index, bool added) {
    if (!added) return;  // no operation appends to a line it already wrote
    out_.Line(ConsoleLine(log_.Line(index)));
}

int UsageError(std::FILE* err, const std::string& problem, const char* usage) {
    std::fprintf(err, "torvane-cli: %s\n", problem.c_str());
    std::fputs(usage, err);
    return kExitUsage;
}

}  // namespace torvane::cli
