#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/format.h"

namespace torvane {

class Prompts;

// Told about every change of an OperationLog, so that views show the log's own
// lines and keep no copy.
class OperationLogListener {
public:
    virtual ~OperationLogListener() = default;
    // A new line is about to become line `index` (the log still has `index`
    // lines). OnLineWritten with `added` follows.
    virtual void OnLineAboutToBeAdded(int32_t /*index*/) {}
    // Line `index` was written; `added` when it is a new line (the lines after it
    // moved down by one), otherwise its text changed.
    virtual void OnLineWritten(int32_t index, bool added) = 0;
    // Every line is about to be removed; OnCleared follows.
    virtual void OnAboutToClear() {}
    virtual void OnCleared() = 0;
};

// The ordered lines of the operation log. Each line keeps its text exactly as
// written, including the "\r\n" every log format ends with.
class OperationLog {
public:
    // As a line index: the last existing line (line 0 when the log is empty).
    static constexpr int32_t LastLine = 0xFFFF;
    // A line holds at most this many characters; longer texts are cut at a
    // character boundary.
    static constexpr size_t kMaxLineChars = 4095;

    // Formats the text and writes it to line `index`: the line count adds a new
    // last line, an existing index appends to that line's text, LastLine is the
    // last line. Any other index also adds a new last line. The written line
    // becomes the selected one. Returns its index.
    int32_t Append(int32_t index, const char* format, ...) TORVANE_PRINTF_FORMAT(3, 4);

    // The same with a finished text.
    int32_t AppendText(int32_t index, const std::string& text);

    // Formats the text as a new last line: what every batch operation writes.
    int32_t Addf(const char* format, ...) TORVANE_PRINTF_FORMAT(2, 3);

    // Adds `text` as a new last line: the common case of every batch operation.
    int32_t Add(const std::string& text);

    int32_t LineCount() const { return static_cast<int32_t>(lines_.size()); }
    const std::string& Line(int32_t index) const { return lines_.at(static_cast<size_t>(index)); }
    const std::vector<std::string>& Lines() const { return lines_; }

    // The selected line, -1 when the log is empty.
    int32_t Selected() const { return selected_; }
    void Select(int32_t index);

    // Removes every line at once, without asking.
    void Clear();

    // The log save command: asks for a path ("(*.log)|*.log||", overwrite prompt),
    // adds ".log" when the path does not contain it, writes every line in the
    // system code page and reports the outcome in a message box.
    void SaveToFile(Prompts& prompts) const;

    // Writes every line, converted to the system code page, to `path` with no
    // separator, header or byte-order mark. True when the whole file was written.
    bool WriteToFile(const std::string& path) const;

    void AddListener(OperationLogListener* listener);
    void RemoveListener(OperationLogListener* listener);

private:
    std::vector<std::string> lines_;
    int32_t selected_ = -1;
    std::vector<OperationLogListener*> listeners_;
};

// Texts of the log save.
inline constexpr const char* kLogEmptyMessage = "当前无操作记录！";
inline constexpr const char* kLogSaveFailedMessage = "保存失败";
inline constexpr const char* kLogSavedMessage = "已将文件信息保存到Log文件中。";
inline constexpr const char* kLogSavedCaption = "信息";
inline constexpr const char* kLogFilter = "(*.log)|*.log||";

// The path the log save writes to: `chosen` with ".log" appended unless it
// contains ".log" anywhere (case-sensitive).
std::string LogSavePath(const std::string& chosen);

// Cuts UTF-8 text to at most `maxChars` characters, never inside a sequence.
std::string CutToChars(const std::string& text, size_t maxChars);

}  // namespace torvane
