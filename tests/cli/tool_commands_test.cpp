#include "cli/tool_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "cli/cli.h"
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

std::string Drain(std::FILE* f) { return torvane::test::DrainStream(f); }

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

// Every CRC preset by any of its names, a custom model, SHA-256, and the list.
TEST(ToolCommandsTest, ChecksumTakesEveryPresetAndCustomCrcs) {
    TempDir dir;
    const std::string p = dir.Write("nine.bin", std::string("123456789"));
    for (const auto& [method, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"CRC-32/ISO-HDLC", "CBF43926"}, {"crc32c", "E3069283"}, {"crc16-ccitt-false", "29B1"},
             {"xmodem", "31C3"}, {"MODBUS", "4B37"}, {"stm32", "AFF19057"}, {"crc-64/xz", "995DC9BBDF1939FA"},
             {"crc-8/maxim-dow", "A1"},
             {"sha256", "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225"}}) {
        const Result r = RunTool(RunChecksumCommand, {method, p});
        EXPECT_EQ(0, r.status) << method << r.err;
        EXPECT_EQ(std::string(value) + "\n", r.out) << method;
    }
    // CRC-24/OPENPGP, which no preset is.
    Result r = RunTool(RunChecksumCommand, {"crc", "--width", "24", "--poly", "0x864CFB", "--init", "B704CE", p});
    EXPECT_EQ("21CF02\n", r.out) << r.err;
    r = RunTool(RunChecksumCommand, {"crc", "--width", "16", "--poly", "1021", "--refin", "--refout", p});
    EXPECT_EQ("2189\n", r.out) << r.err;  // CRC-16/KERMIT
    r = RunTool(RunChecksumCommand, {"--list"});
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("CRC-32/ISO-HDLC  width=32 poly=0x04C11DB7 init=0xFFFFFFFF refin=true "
                                            "refout=true xorout=0xFFFFFFFF check=0xCBF43926"))
        << r.out;
    EXPECT_EQ(14, std::count(r.out.begin(), r.out.end(), '\n'));
}

TEST(ToolCommandsTest, ChecksumErrorIsABoxOnStderr) {
    const Result r = RunTool(RunChecksumCommand, {"sum8", "no/such/file.bin"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(0u, r.err.find(Box(ApplicationName(), "校验文件打开失败！"))) << r.err;
}

// Data that is not hex is a wrong command line, with the reason: never a
// check value of something else.
TEST(ToolCommandsTest, ChecksumDataThatIsNotHexIsAUsageError) {
    for (const auto& [data, reason] : {std::pair<const char*, const char*>{"1", "an odd number of hex digits (1)"},
                                       {"012", "an odd number of hex digits (3)"},
                                       {"12g4", "'g' is not a hex digit"}}) {
        const Result r = RunTool(RunChecksumCommand, {"sum8", "--data", data});
        EXPECT_EQ(2, r.status) << data;
        EXPECT_EQ("", r.out) << data;
        EXPECT_EQ(0u, r.err.find("torvane-cli: --data: ")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(reason)) << r.err;
    }
    const Result r = RunTool(RunChecksumCommand, {"sum8", "--data", "0x01 0x02"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("FC\n", r.out);
}

TEST(ToolCommandsTest, ChecksumCommandLineErrors) {
    ExpectUsageErrors(RunChecksumCommand, {{},
                                           {"crc31", "--data", "01"},
                                           {"crc", "--width", "7", "--poly", "5", "--data", "01"},
                                           {"crc", "--poly", "07", "--data", "01"},
                                           {"crc", "--width", "8", "--poly", "107", "--data", "01"},
                                           {"crc32", "--width", "8", "--data", "01"},
                                           {"--list", "crc32"},
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
    EXPECT_EQ(Box(ApplicationName(), "填充首地址不能大于填充末地址") + "torvane-cli: " + out +
                  ": the first filled address 0x10 lies past the last one 0xF\n",
              r.err);
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
    EXPECT_EQ(Box("Error", "待转换文件不存在，请重新选择文件！") + "torvane-cli: " + dir.File("none.bin") + ": " +
                  test::SystemText(test::SystemError::NoSuchFile) + "\n",
              r.err);
    EXPECT_FALSE(test::Exists(dir.File("none.bin")) || test::Exists(dir.File("none.h")));
}

// Each value as its edit could hold it: the length 1 to 7 digits, the addresses
// 1 to 6 and the fill byte 1 or 2 hex digits.
TEST(ToolCommandsTest, TestBinRefusesValuesItsFieldsCannotHold) {
    TempDir dir;
    const std::string out = dir.File("t.bin");
    ExpectUsageErrors(RunTestBinCommand, {{"-o", out, "--fill", "GG"},
                                          {"-o", out, "--fill", "FFF"},
                                          {"-o", out, "--fill", ""},
                                          {"-o", out, "--length", "16abc"},
                                          {"-o", out, "--length", ""},
                                          {"-o", out, "--length", "+16"},
                                          {"-o", out, "--length", "00000016"},
                                          {"-o", out, "--start", "1G"},
                                          {"-o", out, "--start", "0000000"},
                                          {"-o", out, "--end", "3FF "},
                                          {"-o", out, "--end", "0003FF0"},
                                          {"-o", out, "--length", "16", "--length", "32"}});
    EXPECT_FALSE(test::Exists(out));
    EXPECT_EQ(0, RunTool(RunTestBinCommand, {"-o", out, "--length", "0000016", "--start", "00000F", "--fill", "A"}).status);
    EXPECT_EQ(16u, ReadBytes(out).size());
}

TEST(ToolCommandsTest, BinToCDefaultTargetIsCutInTheFileNameOnly) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("d.x"));
    dir.Write("d.h", std::string("unrelated"));
    const std::string source = dir.Write("d.x/data", std::vector<uint8_t>{0x01});
    EXPECT_EQ(0, RunTool(RunBinToCCommand, {source}).status);
    EXPECT_EQ("unrelated", ReadText(dir.File("d.h")));
    EXPECT_EQ(38u, ReadBytes(dir.File("d.x/data.h")).size());
}

TEST(ToolCommandsTest, BinToCCommandLineErrors) {
    ExpectUsageErrors(RunBinToCCommand, {{}, {"a.bin", "b.bin"}, {"a.bin", "-o"}, {"--force", "a.bin"}});
}

// Run, as torvane-cli's main calls it.
Result RunCli(const std::vector<std::string>& args) {
    return RunTool([](const std::vector<std::string>& a, std::FILE* out, std::FILE* err) { return Run(a, out, err); },
                   args);
}

// Restores the default of no hook when a test ends, whatever its outcome.
struct WorkHookScope {
    explicit WorkHookScope(WorkHook hook) { SetWorkHookForTesting(hook); }
    ~WorkHookScope() { SetWorkHookForTesting(nullptr); }
};

// An exception inside any command is one line and status 1, never an abort;
// the batch's --log file is still written with what the run logged.
TEST(CliRunTest, AnEscapingExceptionIsOneLineAndAFailure) {
    TempDir dir;
    const std::string log = dir.Write("run.log", std::string("an older run\r\n"));
    const std::string a = dir.Write("a.bin", std::string(16, 'a'));
    {
        WorkHookScope scope([](const std::string&) { throw std::bad_alloc(); });
        const Result r = RunCli({"merge", "-o", dir.File("out.bin"), a, "--log", log});
        EXPECT_EQ(1, r.status);
        EXPECT_EQ("torvane-cli: out of memory\n", r.err);
        EXPECT_EQ("", ReadText(log));
        EXPECT_FALSE(test::Exists(dir.File("out.bin")));
    }
    WorkHookScope scope([](const std::string&) { throw std::runtime_error("the disk went away"); });
    const Result r = RunCli({"checksum", "md5", "--data", "00"});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("torvane-cli: the disk went away\n", r.err);
}

}  // namespace
}  // namespace torvane::cli
