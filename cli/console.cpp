#include "cli/console.h"

#include "core/messages.h"

#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "platform/code_page.h"
#include "platform/format.h"

namespace torvane::cli {

ConsolePrompts::~ConsolePrompts() { FlushHeldBox(); }

void ConsolePrompts::FlushHeldBox() {
    if (heldBox_.empty()) return;
    std::fputs(heldBox_.c_str(), err_);
    std::fflush(err_);
    heldBox_.clear();
}

Answer ConsolePrompts::Show(const MessageBox& box) {
    FlushHeldBox();
    const std::string line = ToConsole(Localized(box.caption) + ": " + Localized(box.text) + "\n");
    // A notice said before is held until its reason: a file whose reason was
    // given when its row was loaded is not reported twice when it is converted.
    if (box.kind == MessageKind::Plain && box.buttons == MessageButtons::Ok && !boxesSaid_.insert(line).second) {
        heldBox_ = line;
    } else {
        std::fputs(line.c_str(), err_);
        std::fflush(err_);
    }
    switch (box.kind) {
        case MessageKind::MergeOverlap:
            switch (onOverlap) {
                case OverlapAnswer::Force: return Answer::Yes;
                case OverlapAnswer::Append: return Answer::No;
                case OverlapAnswer::Cancel: return Answer::Cancel;
            }
            break;
        case MessageKind::MergeOversize: return onOversize == OversizeAnswer::Append ? Answer::Yes : Answer::No;
        // A file given with --as-bin is never asked about: any other stays out.
        case MessageKind::HexTextAsBin: return Answer::No;
        case MessageKind::MergeIncomplete: return allowIncomplete ? Answer::Yes : Answer::No;
        case MessageKind::ClearList:  // nothing on a command line clears the rows
        case MessageKind::Plain: break;
    }
    return DecliningAnswer(box.buttons);
}

void ConsolePrompts::Explain(const FailureReason& reason) {
    std::string where = reason.path;
    if (reason.row > 0) where += where.empty() ? Format("row %d", reason.row) : Format(" (row %d)", reason.row);
    const std::string text = where.empty() ? reason.reason : where + ": " + reason.reason;
    if (!reasonsSaid_.insert(text).second) {
        heldBox_.clear();
        return;
    }
    FlushHeldBox();
    ProblemLine(err_, text);
}

void ConsolePrompts::Warn(const FailureReason& reason) {
    FlushHeldBox();
    std::string where = reason.path;
    if (reason.row > 0) where += where.empty() ? Format("row %d", reason.row) : Format(" (row %d)", reason.row);
    ProblemLine(err_, (where.empty() ? std::string() : where + ": ") + "warning: " + reason.reason);
}

std::optional<std::string> ConsolePrompts::OpenFile(const FileDialog&) {
    if (opens_.empty()) return std::nullopt;
    std::string path = opens_.front();
    opens_.pop_front();
    return path;
}

void ConsoleOut::Put(std::string_view utf8) {
    const std::string text = ToConsole(utf8);
    PutBytes(text);
}

void ConsoleOut::PutBytes(std::string_view text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out_) != text.size() && error_ == 0)
        error_ = errno != 0 ? errno : EIO;
}

void ConsoleOut::Text(std::string_view text) {
    Put(text);
    if (std::fflush(out_) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void ConsoleOut::Raw(std::string_view bytes) {
    PutBytes(bytes);
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
    ProblemLine(err, std::string("cannot write to standard output: ") + std::strerror(error_));
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

void ProblemLine(std::FILE* err, std::string_view text) {
    const std::string line = ToConsole(text);
    std::fprintf(err, "torvane-cli: %.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(err);
}

void WarningLines(std::FILE* err, const std::string& path, const std::vector<std::string>& warnings) {
    for (const std::string& w : warnings) ProblemLine(err, path + ": warning: " + w);
}

int UsageError(std::FILE* err, const std::string& problem, const char* usage) {
    ProblemLine(err, problem);
    std::fputs(usage, err);
    return kExitUsage;
}

}  // namespace torvane::cli
