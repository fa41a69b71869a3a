#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/workspace.h"
#include "platform/program_path.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace torvane::test {

// A workspace with scripted prompts and a temporary folder for its files.
class WorkspaceTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    // Chooses `path` in `row` through the open dialog, as the "..." button does.
    void Choose(int row, const std::string& path) {
        prompts.ExpectOpen(path);
        ws.rows().ChooseFile(row);
    }
    std::string WriteAndChoose(int row, const std::string& name, const std::string& bytes) {
        const std::string p = dir.Write(name, bytes);
        Choose(row, p);
        return p;
    }
    // A HEX file that does not decode whole: its box, then the row checked by
    // hand, as a user who wants to see the batch fail it would.
    std::string WriteAndChooseBadHex(int row, const std::string& name, const std::string& bytes) {
        prompts.ExpectNotice("错误的Hex文件！");
        const std::string p = WriteAndChoose(row, name, bytes);
        Row(row).Selected = true;
        return p;
    }
    RowControls& Row(int row) { return ws.rows().Controls(row); }

    // The warning that ends a HEX-to-BIN or align batch in which `files`
    // ("文件1、文件3") did not succeed.
    void ExpectFailedFiles(const std::string& files) {
        prompts.ExpectBox("以下文件未能完成操作：" + files + "\r\n详细原因请查看操作记录。", ApplicationName(), Answer::Ok,
                          MessageButtons::Ok, MessageIcon::Exclamation);
    }

    // The log lines written since `from`, each without its "\r\n" ending.
    std::vector<std::string> LogLines(int from = 0) const {
        std::vector<std::string> out;
        for (int i = from; i < ws.log().LineCount(); ++i) {
            std::string line = ws.log().Line(i);
            if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) line.resize(line.size() - 2);
            out.push_back(line);
        }
        return out;
    }

    TempDir dir;
    ScriptedPrompts prompts;
    Workspace ws{prompts};
};

}  // namespace torvane::test
