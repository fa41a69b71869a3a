#include "cli/console.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

#include <cstdio>
#include <string>

#include "core/workspace.h"

namespace torvane::cli {
namespace {

std::string Drain(std::FILE* f) { return torvane::test::DrainStream(f); }

MessageBox Question(const std::string& caption, MessageButtons buttons, MessageKind kind) {
    return MessageBox{"?", caption, MessageIcon::Question, buttons, kind};
}

// The answers come from the kind of question, never from its caption: a
// question the console does not know is declined, whatever it is called.
TEST(ConsolePromptsTest, AnswersTheMergeQuestionsByKindAndDeclinesEveryOther) {
    std::FILE* err = std::tmpfile();
    ConsolePrompts prompts(err);
    prompts.onOverlap = OverlapAnswer::Append;
    prompts.onOversize = OversizeAnswer::Append;
    EXPECT_EQ(Answer::No, prompts.Show(Question("提示", MessageButtons::YesNo, MessageKind::Plain)));
    EXPECT_EQ(Answer::Cancel, prompts.Show(Question("提示", MessageButtons::YesNoCancel, MessageKind::Plain)));
    EXPECT_EQ(Answer::Yes, prompts.Show(Question("any", MessageButtons::YesNo, MessageKind::MergeOversize)));
    EXPECT_EQ(Answer::No, prompts.Show(Question("any", MessageButtons::YesNoCancel, MessageKind::MergeOverlap)));
    EXPECT_EQ(Answer::No, prompts.Show(Question(kClearListCaption, MessageButtons::YesNo, MessageKind::ClearList)));
    prompts.onOverlap = OverlapAnswer::Force;
    EXPECT_EQ(Answer::Yes, prompts.Show(Question("any", MessageButtons::YesNoCancel, MessageKind::MergeOverlap)));
    EXPECT_EQ("提示: ?\n提示: ?\nany: ?\nany: ?\n温馨提示: ?\nany: ?\n", Drain(err));
}

TEST(ConsolePromptsTest, ReasonLineNamesTheFileAndItsRow) {
    std::FILE* err = std::tmpfile();
    ConsolePrompts prompts(err);
    prompts.Explain(FailureReason{3, "/fw/boot.hex", "line 1: the record's checksum does not match"});
    prompts.Explain(FailureReason{0, "/fw/out.bin", "No space left on device"});
    prompts.Explain(FailureReason{2, "", "no file name was given"});
    EXPECT_EQ("torvane-cli: /fw/boot.hex (row 3): line 1: the record's checksum does not match\n"
              "torvane-cli: /fw/out.bin: No space left on device\n"
              "torvane-cli: row 2: no file name was given\n",
              Drain(err));
}

}  // namespace
}  // namespace torvane::cli
