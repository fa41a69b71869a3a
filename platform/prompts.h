#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

// Message boxes and file dialogs. The window implements this interface with its
// toolkit, torvane-cli with its flags and stderr, the tests with a scripted double.

enum class MessageIcon { None, Information, Question, Exclamation, Error };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

// Which question a box asks, for a front end that answers without a person:
// it answers the questions it knows by their kind and declines any other.
enum class MessageKind {
    Plain,          // a notice, or a question no front end answers by itself
    MergeOverlap,   // a file starts before the previous one ends: Yes force, No append, Cancel
    MergeOversize,  // a file would pass the merged image's end: Yes append, No cancel
    ClearList,      // clear every row: Yes, No
    HexTextAsBin,   // a BIN row's file holds Intel HEX text: Yes use its bytes anyway, No leave the row out
    MergeIncomplete,  // a file was left out of the merge: Yes write the image without it, No write nothing
};

struct MessageBox {
    std::string text;     // as shown, line breaks included
    std::string caption;  // the window title of the box
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageKind kind = MessageKind::Plain;
    // The button that Enter presses; nothing for the toolkit's choice (the
    // first of OK and Yes). A question whose Yes loses data defaults to No.
    std::optional<Answer> defaultAnswer = std::nullopt;
};

// Why an operation failed, in English: one line that names the file (and
// the row) beside the box or log line that reported the failure in the
// program's own words.
struct FailureReason {
    int32_t row = 0;     // FileNo of the row the file is in; 0 when it is in none
    std::string path;    // the file; empty when the failure is about no file
    std::string reason;  // what was wrong, without a final full stop
};

// What a file dialog asks for. A window may open each kind in the folder last
// used for it; the core names the kind where it builds the dialog.
enum class FileKind {
    Unspecified,
    Firmware,       // a row's HEX or BIN file
    Project,        // an INI project, imported or exported
    Log,            // the saved operation log
    MergeOutput,    // the merge's output file
    CheckFile,      // the check-value tool's file
    TestBinOutput,  // the test BIN file
    BinToCSource,   // the C array converter's source
    BinToCTarget,   // and its C file
    UpgradeImage,   // an adapter upgrade image, with or without CD-ROM part
    AdapterConfig,  // the adapter's configuration file
    StampImage,     // the stamp tool's image
    StampOutput,    // and the copy it writes
    CompareImage,   // a file the comparison reads
    CompareReport,  // and the report it saves
};

// An open-file or save-file question. `filter` is a list of description and
// pattern pairs separated by '|' and ended by "||", for example
// "(*.log)|*.log||"; several patterns of one pair are separated by ';'.
struct FileDialog {
    std::string filter;
    std::string defaultExtension;  // without the dot; empty for none
    std::string proposedName;      // file name shown at the start; empty for none
    std::string initialFolder;     // empty for the toolkit's choice
    bool overwritePrompt = false;  // save dialogs: ask before choosing an existing file
    bool allowNewFile = false;     // open dialogs: a name that does not exist yet may be chosen
    FileKind kind = FileKind::Unspecified;
};

// One description and its patterns, from a '|' separated filter text.
struct FilterEntry {
    std::string description;
    std::vector<std::string> patterns;  // "*.HEX", "*.BIN"
};

// Splits "desc|pat;pat|desc|pat||" into its entries; a description without its
// pattern part is dropped.
std::vector<FilterEntry> ParseFilter(const std::string& filter);

class Prompts {
public:
    virtual ~Prompts() = default;

    // Shows a modal message box and returns the button that closed it.
    virtual Answer Show(const MessageBox& box) = 0;

    // Asks for an existing file to open; nothing when the user cancels.
    virtual std::optional<std::string> OpenFile(const FileDialog& dialog) = 0;

    // Asks for a file to save to; nothing when the user cancels.
    virtual std::optional<std::string> SaveFile(const FileDialog& dialog) = 0;

    // The reason of a failure just reported by a box or a log line. The
    // window shows its boxes and log lines only and ignores this; a console
    // prints it.
    virtual void Explain(const FailureReason&) {}
    // Something found in a file that was read all the same (`reason` holds
    // what). The window writes its own log line and ignores this; a console
    // prints it.
    virtual void Warn(const FailureReason&) {}

    // The last reason given through ExplainFailure, whatever Explain did with
    // it: what the merge's map says of a file it left out.
    const FailureReason& LastReason() const { return last_; }

private:
    friend void ExplainFailure(Prompts& prompts, int32_t row, const std::string& path, const std::string& reason);
    FailureReason last_;
};

// Explain with the reason's parts.
void ExplainFailure(Prompts& prompts, int32_t row, const std::string& path, const std::string& reason);

// The button that declines a box with these buttons: OK, No or Cancel.
Answer DecliningAnswer(MessageButtons buttons);

// A plain box: the application's name as caption, no icon, an OK button.
void ShowNotice(Prompts& prompts, const std::string& text);

// The same with an information icon.
void ShowInformation(Prompts& prompts, const std::string& text);

// The same with an exclamation icon: the work ended, but not all of it was done.
void ShowWarning(Prompts& prompts, const std::string& text);

// The same with a stop icon: a file could not be read, written or opened.
void ShowStop(Prompts& prompts, const std::string& text);

// Prompts that answer every box with the button that declines (OK, No or
// Cancel) and cancel every dialog. For callers that must never pause.
class SilentPrompts final : public Prompts {
public:
    Answer Show(const MessageBox& box) override;
    std::optional<std::string> OpenFile(const FileDialog&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialog&) override { return std::nullopt; }
};

}  // namespace torvane
