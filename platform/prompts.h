#pragma once

#include <optional>
#include <string>
#include <vector>

namespace torvane {

// Message boxes and file dialogs. The window implements this interface with its
// toolkit, torvane-cli with its flags and stderr, the tests with a scripted double.

enum class MessageIcon { None, Information, Question, Exclamation, Error };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct MessageBox {
    std::string text;     // as shown, line breaks included
    std::string caption;  // the window title of the box
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
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
};

// A plain box: the application's name as caption, no icon, an OK button.
void ShowNotice(Prompts& prompts, const std::string& text);

// The same with an information icon.
void ShowInformation(Prompts& prompts, const std::string& text);

// The same with an exclamation icon: the work ended, but not all of it was done.
void ShowWarning(Prompts& prompts, const std::string& text);

// Prompts that answer every box with the button that declines (OK, No or
// Cancel) and cancel every dialog. For callers that must never pause.
class SilentPrompts final : public Prompts {
public:
    Answer Show(const MessageBox& box) override;
    std::optional<std::string> OpenFile(const FileDialog&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialog&) override { return std::nullopt; }
};

}  // namespace torvane
