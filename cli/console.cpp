#include "cli/console.h"

namespace torvane::cli {

Answer ConsolePrompts::Show(const MessageBox& box) {
    std::fprintf(err_, "%s: %s\n", box.caption.c_str(), box.text.c_str());
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

std::string ConsoleLine(const std::string& logLine) {
    if (logLine.size() >= 2 && logLine.compare(logLine.size() - 2, 2, "\r\n") == 0)
        return logLine.substr(0, logLine.size() - 2);
    return logLine;
}

void LogPrinter::OnLineWritten(int32_t index, bool added) {
    if (!added) return;  // no operation appends to a line it already wrote
    const std::string line = ConsoleLine(log_.Line(index));
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace torvane::cli
