#include "core/operation_log.h"

#include <gtest/gtest.h>


#include "platform/code_page.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ScriptedPrompts;
using test::TempDir;

struct RecordingListener : OperationLogListener {
    std::vector<std::pair<int32_t, bool>> written;
    int cleared = 0;
    void OnLineWritten(int32_t index, bool added) override { written.emplace_back(index, added); }
    void OnCleared() override { ++cleared; }
};

TEST(OperationLogTest, AppendWithTheLineCountAddsAndSelectsANewLine) {
    OperationLog log;
    EXPECT_EQ(0, log.Append(log.LineCount(), "文件%d：#第%d步：\r\n", 1, 1));
    EXPECT_EQ(1, log.Append(log.LineCount(), "%s", ""));
    EXPECT_EQ(2, log.LineCount());
    EXPECT_EQ("文件1：#第1步：\r\n", log.Line(0));
    EXPECT_EQ("", log.Line(1));
    EXPECT_EQ(1, log.Selected());
}

TEST(OperationLogTest, LastLineOnAnEmptyLogCreatesLineZero) {
    OperationLog log;
    EXPECT_EQ(0, log.Append(OperationLog::LastLine, "first"));
    EXPECT_EQ(1, log.LineCount());
    EXPECT_EQ(0, log.Append(OperationLog::LastLine, " more"));
    EXPECT_EQ("first more", log.Line(0));
}

TEST(OperationLogTest, AppendToAnExistingLineKeepsItsPlace) {
    OperationLog log;
    log.Add("a");
    log.Add("b");
    log.Add("c");
    EXPECT_EQ(1, log.Append(1, "%d", 42));
    EXPECT_EQ((std::vector<std::string>{"a", "b42", "c"}), log.Lines());
    EXPECT_EQ(1, log.Selected());
}

TEST(OperationLogTest, AnIndexPastTheEndAddsANewLastLine) {
    OperationLog log;
    log.Add("a");
    EXPECT_EQ(1, log.AppendText(7, "b"));
    EXPECT_EQ(1, log.AppendText(-3, "c") - 1);
    EXPECT_EQ(3, log.LineCount());
}

TEST(OperationLogTest, LinesAreCutAt4095CharactersOnACharacterBoundary) {
    OperationLog log;
    std::string chinese;
    for (int i = 0; i < 5000; ++i) chinese += "文";
    log.Add(chinese);
    EXPECT_EQ(4095u * 3, log.Line(0).size());
    log.Add(std::string(4000, 'a'));
    log.AppendText(1, std::string(200, 'b'));
    EXPECT_EQ(4095u, log.Line(1).size());
    EXPECT_EQ(CutToChars("a文b", 2), "a文");
}

TEST(OperationLogTest, ClearRemovesEverythingAndTellsListeners) {
    OperationLog log;
    RecordingListener listener;
    log.AddListener(&listener);
    log.Add("a");
    log.Append(0, "b");
    log.Clear();
    EXPECT_EQ(0, log.LineCount());
    EXPECT_EQ(-1, log.Selected());
    EXPECT_EQ((std::vector<std::pair<int32_t, bool>>{{0, true}, {0, false}}), listener.written);
    EXPECT_EQ(1, listener.cleared);
    EXPECT_EQ(0, log.Add("again"));
    log.RemoveListener(&listener);
    log.Add("x");
    EXPECT_EQ(2u, listener.written.size() - 1);
}

// A view that mirrors the log (a list model) must hear of a change before it
// happens: it reads the old count then.
TEST(OperationLogTest, ListenersHearOfAnAddedLineAndOfAClearBeforeTheLogChanges) {
    struct CountingListener : OperationLogListener {
        const OperationLog* log = nullptr;
        std::vector<std::string> heard;
        void OnLineAboutToBeAdded(int32_t index) override {
            heard.push_back("add " + std::to_string(index) + " of " + std::to_string(log->LineCount()));
        }
        void OnLineWritten(int32_t index, bool added) override {
            heard.push_back((added ? "added " : "changed ") + std::to_string(index));
        }
        void OnAboutToClear() override { heard.push_back("clear " + std::to_string(log->LineCount())); }
        void OnCleared() override { heard.push_back("cleared " + std::to_string(log->LineCount())); }
    } listener;
    OperationLog log;
    listener.log = &log;
    log.AddListener(&listener);
    log.Add("a");
    log.Append(0, "b");
    log.Append(OperationLog::LastLine, "c");
    log.Add("d");
    log.Clear();
    EXPECT_EQ((std::vector<std::string>{"add 0 of 0", "added 0", "changed 0", "changed 0", "add 1 of 1", "added 1",
                                        "clear 2", "cleared 0"}),
              listener.heard);
    log.RemoveListener(&listener);
}

TEST(LogSavePathTest, AddsLogUnlessTheTextIsPresent) {
    EXPECT_EQ("/tmp/run.log", LogSavePath("/tmp/run"));
    EXPECT_EQ("/tmp/run.log.txt", LogSavePath("/tmp/run.log.txt"));
    EXPECT_EQ("/tmp/RUN.LOG.log", LogSavePath("/tmp/RUN.LOG"));
}

class LogSaveTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(prompts.Done());
        SetCodePage("");
    }
    TempDir dir;
    ScriptedPrompts prompts;
    OperationLog log;
};

TEST_F(LogSaveTest, EmptyLogIsNotSaved) {
    prompts.ExpectNotice("当前无操作记录！");
    log.SaveToFile(prompts);
    EXPECT_TRUE(prompts.saveDialogs.empty());
}

TEST_F(LogSaveTest, SavesLinesBackToBackWithoutSeparators) {
    log.Add("one\r\n");
    log.Add("");
    log.Add("three\r\n");
    prompts.ExpectSave(dir.File("run"));
    prompts.ExpectBox("已将文件信息保存到Log文件中。", "信息", Answer::Ok, MessageButtons::Ok, MessageIcon::Information);
    log.SaveToFile(prompts);
    EXPECT_EQ("one\r\nthree\r\n", test::ReadText(dir.File("run.log")));
    ASSERT_EQ(1u, prompts.saveDialogs.size());
    EXPECT_EQ("(*.log)|*.log||", prompts.saveDialogs[0].filter);
    EXPECT_TRUE(prompts.saveDialogs[0].overwritePrompt);
    EXPECT_EQ("", prompts.saveDialogs[0].defaultExtension);
    EXPECT_EQ(3, log.LineCount());
}

TEST_F(LogSaveTest, SavingAgainReplacesTheFile) {
    const std::string p = dir.Write("old.log", std::string(1000, 'z'));
    log.Add("new\r\n");
    prompts.ExpectSave(p);
    prompts.ExpectBox("已将文件信息保存到Log文件中。", "信息");
    log.SaveToFile(prompts);
    EXPECT_EQ("new\r\n", test::ReadText(p));
}

TEST_F(LogSaveTest, CancelledDialogWritesNothing) {
    log.Add("x");
    prompts.ExpectSave(std::nullopt);
    log.SaveToFile(prompts);
    EXPECT_TRUE(prompts.Done());
}

TEST_F(LogSaveTest, UnwritablePathReportsSaveFailed) {
    log.Add("x\r\n");
    prompts.ExpectSave(dir.File("no/such/folder/run.log"));
    prompts.ExpectNotice("保存失败");
    log.SaveToFile(prompts);
#ifndef _WIN32
    EXPECT_FALSE(log.WriteToFile("/dev/full"));  // a device that takes no byte (POSIX only)
#endif
    EXPECT_EQ(1, log.LineCount());
}

TEST_F(LogSaveTest, WritesTheCodePageAndLongLinesInFull) {
    ASSERT_TRUE(SetCodePage("GBK"));
    std::string line;
    for (int i = 0; i < 300; ++i) line += "文件";
    log.Add(line + "\r\n");
    log.Add("a\U0001F600b\r\n");
    const std::string p = dir.File("gbk.log");
    ASSERT_TRUE(log.WriteToFile(p));
    std::string expected;
    for (int i = 0; i < 300; ++i) expected += "\xCE\xC4\xBC\xFE";
    expected += "\r\na?b\r\n";
    EXPECT_EQ(expected, test::ReadText(p));
}

}  // namespace
}  // namespace torvane
