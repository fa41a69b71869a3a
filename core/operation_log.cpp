#include "core/operation_log.h"

#include <algorithm>
#include <cstdarg>
#include <utility>

#include "core/messages.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "platform/utf8.h"

namespace torvane {

std::string CutToChars(const std::string& text, size_t maxChars) { return Utf8FirstChars(text, maxChars); }

int32_t OperationLog::Append(int32_t index, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(Localized(format), args);
    va_end(args);
    return AppendText(index, text);
}

int32_t OperationLog::Addf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(Localized(format), args);
    va_end(args);
    return AppendText(LineCount(), text);
}

// A whole line the catalogue knows (a heading) is translated as it is added.
int32_t OperationLog::Add(const std::string& text) { return AppendText(LineCount(), Localized(text)); }

int32_t OperationLog::AppendText(int32_t index, const std::string& text) {
    const int32_t count = LineCount();
    if (index == LastLine) index = count > 0 ? count - 1 : 0;

    bool added;
    if (index >= 0 && index < count) {
        std::string& line = lines_[static_cast<size_t>(index)];
        line = CutToChars(line + CutToChars(text, kMaxLineChars), kMaxLineChars);
        added = false;
    } else {
        index = count;
        std::string line = CutToChars(text, kMaxLineChars);
        // Room first: once the listeners are told, nothing may fail before the
        // line is there. Grown by doubling, as push_back would.
        if (lines_.size() == lines_.capacity()) lines_.reserve(std::max<size_t>(16, 2 * lines_.capacity()));
        for (OperationLogListener* l : listeners_) l->OnLineAboutToBeAdded(index);
        lines_.push_back(std::move(line));
        added = true;
    }
    selected_ = index;
    for (OperationLogListener* l : listeners_) l->OnLineWritten(index, added);
    return index;
}

void OperationLog::Select(int32_t index) {
    if (index >= 0 && index < LineCount()) selected_ = index;
}

void OperationLog::Clear() {
    for (OperationLogListener* l : listeners_) l->OnAboutToClear();
    lines_.clear();
    selected_ = -1;
    for (OperationLogListener* l : listeners_) l->OnCleared();
}

std::string LogSavePath(const std::string& chosen) {
    if (chosen.find(".log") != std::string::npos) return chosen;
    return chosen + ".log";
}

bool OperationLog::WriteToFile(const std::string& path) const {
    // One conversion for the whole log: the lines carry their own "\r\n", and
    // nothing is written between them.
    std::string all;
    size_t total = 0;
    for (const std::string& line : lines_) total += line.size();
    all.reserve(total);
    for (const std::string& line : lines_) all += line;
    const std::string bytes = ToCodePage(all);
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

void OperationLog::SaveToFile(Prompts& prompts) const {
    if (lines_.empty()) {
        ShowNotice(prompts, kLogEmptyMessage);
        return;
    }
    FileDialog dialog;
    dialog.filter = kLogFilter;
    dialog.overwritePrompt = true;
    dialog.kind = FileKind::Log;
    const std::optional<std::string> chosen = prompts.SaveFile(dialog);
    if (!chosen) return;
    if (!WriteToFile(LogSavePath(*chosen))) {
        ShowNotice(prompts, kLogSaveFailedMessage);
        return;
    }
    prompts.Show(MessageBox{kLogSavedMessage, kLogSavedCaption, MessageIcon::Information, MessageButtons::Ok});
}

void OperationLog::AddListener(OperationLogListener* listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void OperationLog::RemoveListener(OperationLogListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

}  // namespace torvane
