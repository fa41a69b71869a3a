#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built torvane-cli with the arguments (already quoted for the shell).
Result RunCli(const std::string& args) {
    torvane::test::TempDir dir;
    const std::string command = std::string(TORVANE_CLI_PATH) + " " + args + " >" + dir.File("out") + " 2>" +
                                dir.File("err");
    Result r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = torvane::test::ReadText(dir.File("out"));
    r.err = torvane::test::ReadText(dir.File("err"));
    return r;
}

TEST(CliTest, HelpPrintsUsageToStdout) {
    const Result r = RunCli("--help");
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("torvane-cli hex2bin"));
    EXPECT_EQ("", r.err);
}

TEST(CliTest, UnknownCommandIsAUsageError) {
    const Result r = RunCli("frobnicate");
    EXPECT_EQ(2, r.status);
    EXPECT_NE(std::string::npos, r.err.find("Usage"));
    EXPECT_EQ(2, RunCli("").status);
}

}  // namespace
