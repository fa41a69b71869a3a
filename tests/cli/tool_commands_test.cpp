#include "cli/tool_commands.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/program_path.h"
#include "support/temp_dir.h"

namespace torvane::cli {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::TempDir;

using Command = int (*)(const std::vector<std::string>&, std::FILE*, std::FILE*);

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Drain(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

Result RunTool(Command command, const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!out || !err) std::abort();
    Result r;
    r.status = command(args, out, err);
    r.out = Drain(out);
    r.err = Drain(err);
    return r;
}

std::string Box(const std::string& caption, const std::string& text) { return caption + ": " + text + "\n"; }

// Each wrong command line is a usage error with nothing on stdout.
void ExpectUsageErrors(Command command, const std::vector<std::vector<std::string>>& wrong) {
    for (const auto& args : wrong) {
        const Result r = RunTool(command, args);
        EXPECT_EQ(2, r.status) << (args.empty() ? "" : args.back());
        EXPECT_NE(std::string::npos, r.err.find("Usage"));
        EXPECT_EQ("", r.out);
    }
}

TEST(ToolCommandsTest, ChecksumPrintsOnlyTheValue) {
    TempDir dir;
    const std::string p = dir.Write("abc.bin", std::string("abc"));
    Result r = RunTool(RunChecksumCommand, {"md5", p});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72\n", r.out);
    EXPECT_EQ("", r.err);

    r = RunTool(RunChecksumCommand, {"sum16", "--data", "0001f203f4f5f6f7"});
    EXPECT_EQ("220D\n", r.out);
}

TEST(ToolCommandsTest, ChecksumErrorIsABoxOnStderr) {
    const Result r = RunTool(RunChecksumCommand, {"sum8", "--data", "1"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(Box(ApplicationName(), "数据输入错误"), r.err);
}

TEST(ToolCommandsTest, ChecksumCommandLineErrors) {
    ExpectUsageErrors(RunChecksumCommand, {{},
                                           {"crc32", "--data", "01"},
                                           {"sum8"},
                                           {"sum8", "--data"},
                                           {"sum8", "a.bin", "--data", "01"},
                                           {"sum8", "a.bin", "b.bin"},
                                           {"sum8", "--verbose", "a.bin"}});
}

TEST(ToolCommandsTest, TestBinWritesTheRequestedImage) {
    TempDir dir;
    const std::string out = dir.File("t.bin");
    Result r = RunTool(RunTestBinCommand, {"-o", out, "--length", "16", "--start", "4", "--end", "7", "--fill", "5A"});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(Box(ApplicationName(), "BIN测试文件已成功生成!"), r.err);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0x5A, 0x5A, 0x5A, 0x5A, 0, 0, 0, 0, 0, 0, 0, 0}), ReadBytes(out));

    // Without --end the range ends where the length puts it.
    r = RunTool(RunTestBinCommand, {"--fill", "FF", "--length", "5", "-o", out});
    EXPECT_EQ(std::vector<uint8_t>(5, 0xFF), ReadBytes(out));

    r = RunTool(RunTestBinCommand, {"-o", out, "--length", "16", "--start", "10", "--end", "F"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(Box(ApplicationName(), "填充首地址不能大于填充末地址"), r.err);
}

TEST(ToolCommandsTest, TestBinCommandLineErrors) {
    ExpectUsageErrors(RunTestBinCommand, {{},
                                          {"--length", "16"},
                                          {"-o", "t.bin", "--fill", "00", "--random"},
                                          {"-o", "t.bin", "--length"},
                                          {"-o", "t.bin", "extra"}});
}

TEST(ToolCommandsTest, BinToCWritesTheProposedTargetByDefault) {
    TempDir dir;
    const std::string source = dir.Write("app.bin", std::vector<uint8_t>{0x01, 0xAB, 0xFF});
    Result r = RunTool(RunBinToCCommand, {source});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(Box("Tip", "文件转换完成"), r.err);
    EXPECT_EQ("const UINT8 Bin_Tab[ ] =\r\n{\r\n\t0X01,0XAB,0XFF\r\n};", ReadText(dir.File("app.h")));

    r = RunTool(RunBinToCCommand, {"-o", dir.File("other.c"), source});
    EXPECT_EQ(48u, ReadBytes(dir.File("other.c")).size());

    r = RunTool(RunBinToCCommand, {dir.File("none.bin")});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(Box("Error", "待转换文件不存在，请重新选择文件！"), r.err);
    EXPECT_FALSE(test::Exists(dir.File("none.bin")) || test::Exists(dir.File("none.h")));
}

TEST(ToolCommandsTest, BinToCCommandLineErrors) {
    ExpectUsageErrors(RunBinToCCommand, {{}, {"a.bin", "b.bin"}, {"a.bin", "-o"}, {"--force", "a.bin"}});
}

}  // namespace
}  // namespace torvane::cli
