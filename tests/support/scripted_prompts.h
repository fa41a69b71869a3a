#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompts.h"

namespace torvane::test {

// A Prompts double that records every box and dialog and answers from queues
// the test fills. A box or dialog the test did not expect fails the test.
class ScriptedPrompts : public Prompts {
public:
    // Expects one message box with exactly this text and caption; answers it.
    void ExpectBox(const std::string& text, const std::string& caption, Answer answer = Answer::Ok,
                   std::optional<MessageButtons> buttons = std::nullopt,
                   std::optional<MessageIcon> icon = std::nullopt);
    // A plain box: caption = the application's name, OK button.
    void ExpectNotice(const std::string& text);
    // Expects an open (or save) dialog and answers it with `path`, or cancels.
    void ExpectOpen(std::optional<std::string> path);
    void ExpectSave(std::optional<std::string> path);

    // True when every expectation was met.
    bool Done() const { return boxes_.empty() && opens_.empty() && saves_.empty(); }

    Answer Show(const MessageBox& box) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveFile(const FileDialog& dialog) override;
    // Reasons are recorded, never expected: a test asserts the one it cares about.
    void Explain(const FailureReason& reason) override { reasons.push_back(reason); }

    std::vector<MessageBox> shownBoxes;
    std::vector<FailureReason> reasons;
    std::vector<FileDialog> openDialogs;
    std::vector<FileDialog> saveDialogs;

private:
    struct ExpectedBox {
        std::string text;
        std::string caption;
        Answer answer;
        std::optional<MessageButtons> buttons;
        std::optional<MessageIcon> icon;
    };
    std::deque<ExpectedBox> boxes_;
    std::deque<std::optional<std::string>> opens_;
    std::deque<std::optional<std::string>> saves_;
};

}  // namespace torvane::test
