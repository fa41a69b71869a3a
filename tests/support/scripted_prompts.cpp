#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include "platform/program_path.h"

namespace torvane::test {

void ScriptedPrompts::ExpectBox(const std::string& text, const std::string& caption, Answer answer,
                                std::optional<MessageButtons> buttons, std::optional<MessageIcon> icon) {
    boxes_.push_back(ExpectedBox{text, caption, answer, buttons, icon});
}

void ScriptedPrompts::ExpectNotice(const std::string& text) {
    ExpectBox(text, ApplicationName(), Answer::Ok, MessageButtons::Ok);
}

void ScriptedPrompts::ExpectOpen(std::optional<std::string> path) { opens_.push_back(std::move(path)); }
void ScriptedPrompts::ExpectSave(std::optional<std::string> path) { saves_.push_back(std::move(path)); }

Answer ScriptedPrompts::Show(const MessageBox& box) {
    shownBoxes.push_back(box);
    if (boxes_.empty()) {
        ADD_FAILURE() << "unexpected message box: [" << box.caption << "] " << box.text;
        return Answer::Cancel;
    }
    const ExpectedBox expected = boxes_.front();
    boxes_.pop_front();
    EXPECT_EQ(expected.text, box.text);
    EXPECT_EQ(expected.caption, box.caption);
    if (expected.buttons) {
        EXPECT_EQ(*expected.buttons, box.buttons) << box.text;
    }
    if (expected.icon) {
        EXPECT_EQ(*expected.icon, box.icon) << box.text;
    }
    return expected.answer;
}

std::optional<std::string> ScriptedPrompts::OpenFile(const FileDialog& dialog) {
    openDialogs.push_back(dialog);
    if (opens_.empty()) {
        ADD_FAILURE() << "unexpected open dialog, filter " << dialog.filter;
        return std::nullopt;
    }
    auto answer = opens_.front();
    opens_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::SaveFile(const FileDialog& dialog) {
    saveDialogs.push_back(dialog);
    if (saves_.empty()) {
        ADD_FAILURE() << "unexpected save dialog, filter " << dialog.filter;
        return std::nullopt;
    }
    auto answer = saves_.front();
    saves_.pop_front();
    return answer;
}

}  // namespace torvane::test
