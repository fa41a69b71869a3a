#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/hex_to_bin.h"
#include "platform/code_page.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "support/failing_sync.h"
#include "support/hex_text.h"
#include "support/image_text.h"
#include "support/temp_dir.h"
#include "support/nic_test_support.h"

namespace {

using torvane::test::ReadBytes;
using torvane::test::ReadText;
using torvane::test::TempDir;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
#ifdef _WIN32
    // Runs the built torvane-cli.exe (beside this program) inside the test's
    // folder. `args` are written as for a POSIX shell; the two quotes of an
    // empty argument become Windows' "". Its stdout goes to `stdoutTo` when
    // one is named, and to a pipe whose reader has gone when `closedPipe`.
    // The console's CRLF line ends read as LF.
    Result Run(const std::string& args, const std::string& stdoutTo = "", bool closedPipe = false) {
        std::string line = "\"" + torvane::ProgramFolder() + "\\torvane-cli.exe\" ";
        for (size_t i = 0; i < args.size(); ++i) {
            if (args.compare(i, 2, "''") == 0) {
                line += "\"\"";
                ++i;
            } else {
                line += args[i];
            }
        }
        const std::string out = stdoutTo.empty() ? dir.File(".out") : stdoutTo;
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        auto create = [&](const std::string& path, DWORD access, DWORD disposition) {
            return ::CreateFileW(torvane::test::FsPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        };
        HANDLE input = create("NUL", GENERIC_READ, OPEN_EXISTING);
        HANDLE output = INVALID_HANDLE_VALUE;
        if (closedPipe) {
            HANDLE reader = INVALID_HANDLE_VALUE;
            if (!::CreatePipe(&reader, &output, &inherit, 0)) std::abort();
            ::CloseHandle(reader);
        } else {
            output = create(out, GENERIC_WRITE, CREATE_ALWAYS);
        }
        HANDLE error = create(dir.File(".err"), GENERIC_WRITE, CREATE_ALWAYS);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = error;
        PROCESS_INFORMATION process{};
        std::wstring commandLine = torvane::test::FsPath(line).wstring();
        const std::wstring folder = torvane::test::FsPath(dir.path()).wstring();
        Result r;
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                             &startup, &process)) {
            ::WaitForSingleObject(process.hProcess, INFINITE);
            DWORD code = 0;
            if (::GetExitCodeProcess(process.hProcess, &code)) r.status = static_cast<int>(code);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        for (HANDLE h : {input, output, error}) ::CloseHandle(h);
        auto lf = [](std::string text) {
            for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
            return text;
        };
        r.out = stdoutTo.empty() && !closedPipe ? lf(ReadText(out)) : "";
        r.err = lf(ReadText(dir.File(".err")));
        return r;
    }

    Result RunIntoClosedPipe(const std::string& args) { return Run(args, "", true); }
#else
    // Runs the built torvane-cli inside the test's folder; `args` are quoted for
    // the shell. Its stdout goes to `stdoutTo` when one is named.
    Result Run(const std::string& args, const std::string& stdoutTo = "") {
        const std::string out = stdoutTo.empty() ? dir.File(".out") : stdoutTo;
        const std::string command = "cd '" + dir.path() + "' && " + environment + std::string(TORVANE_CLI_PATH) +
                                    " " + args + " >'" + out + "' 2>'" + dir.File(".err") + "' </dev/null";
        Result r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = stdoutTo.empty() ? ReadText(out) : "";
        r.err = ReadText(dir.File(".err"));
        return r;
    }

    // The same with stdout a pipe whose reader has already gone, the state a
    // `| head -1` reaches after its first line, without the race. SIGPIPE has
    // its default action, as in a shell.
    // The same with every sync the program makes failing (EIO); nothing
    // when the system cannot arrange that.
    std::optional<Result> RunWithFailingSync(const std::string& args) {
        const pid_t pid = ::fork();
        if (pid < 0) return std::nullopt;
        if (pid == 0) {
            if (!torvane::test::MakeSyncsFail()) ::_exit(kNoFailingSync);
            ::_exit(Run(args).status & 0x7F);
        }
        int raw = 0;
        if (::waitpid(pid, &raw, 0) != pid || !WIFEXITED(raw) || WEXITSTATUS(raw) == kNoFailingSync)
            return std::nullopt;
        Result r;
        r.status = WEXITSTATUS(raw);
        r.out = ReadText(dir.File(".out"));
        r.err = ReadText(dir.File(".err"));
        return r;
    }
    static constexpr int kNoFailingSync = 99;

    Result RunIntoClosedPipe(const std::string& args) {
        int fds[2];
        if (::pipe(fds) != 0) std::abort();
        ::close(fds[0]);
        const std::string command = "cd '" + dir.path() + "' && " + std::string(TORVANE_CLI_PATH) + " " + args +
                                    " 2>'" + dir.File(".err") + "' </dev/null";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, "/bin/sh", &actions, &attributes, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        ::close(fds[1]);
        Result r;
        int raw = 0;
        if (spawned == 0 && ::waitpid(pid, &raw, 0) == pid) r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.err = ReadText(dir.File(".err"));
        return r;
    }
#endif

    std::string Write(const std::string& name, const std::string& bytes) { return dir.Write(name, bytes); }
    // The reason line of a failure about the test's file `name` in `row`.
    std::string Reason(const std::string& name, int row, const std::string& reason) const {
        return "torvane-cli: " + Abs(name) + " (row " + std::to_string(row) + "): " + reason + "\n";
    }
    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
    static std::string Drain(std::FILE* f) { return torvane::test::DrainStream(f); }
    // A file of the test's folder as the program names it: absolute, from the
    // folder's physical path, the current folder the program starts in.
    std::string Abs(const std::string& name) const {
#ifdef _WIN32
        std::string path = torvane::test::Utf8Path(std::filesystem::canonical(torvane::test::FsPath(dir.path()))) +
                           "\\" + name;
        for (char& c : path) c = c == '/' ? '\\' : c;
        return path;
#else
        return std::filesystem::canonical(dir.path()).string() + "/" + name;
#endif
    }

    TempDir dir;
    // Set before torvane-cli on its command line, e.g. "LC_ALL=C.UTF-8 " (POSIX).
    std::string environment;
};

TEST_F(CliTest, HelpPrintsUsageToStdout) {
    const Result r = Run("--help");
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("torvane-cli hex2bin"));
    EXPECT_EQ("", r.err);
}

TEST_F(CliTest, HelpAfterACommandPrintsThatCommandsUsageAndDoesNothingElse) {
    const std::pair<const char*, const char*> cases[] = {
        {"merge --help", "  torvane-cli merge "},   {"hex2bin -h", "  torvane-cli hex2bin "},
        {"run merge --help", "  torvane-cli run "}, {"bin2c --help", "Usage: torvane-cli bin2c "},
        {"checksum md5 --help", "Usage: torvane-cli checksum "}, {"nic-upgrade --help", "Usage: torvane-cli nic-upgrade "},
        {"info --help", "Usage: torvane-cli info "},  {"testbin -o out.bin --help", "Usage: torvane-cli testbin "}};
    for (const auto& [args, usage] : cases) {
        const Result r = Run(args);
        EXPECT_EQ(0, r.status) << args;
        EXPECT_NE(std::string::npos, r.out.find(usage)) << args << "\n" << r.out;
        EXPECT_EQ("", r.err) << args;
        // Only that command's lines.
        const std::string other = std::string(args).rfind("merge", 0) == 0 ? "torvane-cli align" : "torvane-cli merge ";
        EXPECT_EQ(std::string::npos, r.out.find(other)) << args;
    }
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));
    // After "--" it is a file's name.
    EXPECT_EQ(1, Run("hex2bin -- --help").status);
}

TEST_F(CliTest, WrongCommandLinesAreUsageErrors) {
    for (const char* args : {"", "frobnicate", "hex2bin", "hex2bin --align 3 a.hex", "hex2bin a.hex --fill 00",
                             "merge --on-overlap maybe a b", "hex2bin --offset 123456789 a.hex",
                             "hex2bin -o x a.hex", "merge --bogus a b", "hex2bin 1 2 3 4 5 6 7"}) {
        const Result r = Run(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_NE(std::string::npos, r.err.find("Usage")) << args;
        EXPECT_EQ("", r.out) << args;
    }
}

TEST_F(CliTest, Hex2BinPrintsTheLogAndWritesTheBin) {
    Write("app.hex", torvane::test::HexBlock(0x08000000, 16));
    const Result r = Run("hex2bin --align 1 --no-keep-before-offset app.hex");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("***************hex转bin操作***************\n"
              "文件1：#第1步：文件" +
                  Abs("app.hex") + "已读取" + std::to_string(torvane::test::HexBlock(0x08000000, 16).size()) +
                  "字节数据\n"
                  "文件1：#第2步：转换为Bin文件成功，生成的Bin文件为：" +
                  Abs("app.BIN") +
                  "  大小：16字节\n"
                  "***文件1:" +
                  Abs("app.hex") + "转换为Bin文件成功！***\n\n",
              r.out);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(16u, ReadBytes(dir.File("app.BIN")).size());
}

TEST_F(CliTest, Hex2BinOfABinFileFails) {
    Write("data.bin", std::string(8, 'x'));
    const Result r = Run("hex2bin data.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("该文件已经是Bin文件"));
}

TEST_F(CliTest, RefusedFileReportsTheBoxAndRunsNothing) {
    Write("empty.hex", "");
    const Result r = Run("hex2bin empty.hex");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 您选择了空文件，请重新选择！\ntorvane-cli: " + Abs("empty.hex") + " (row 1): the file is empty\n",
              r.err);
    EXPECT_EQ("", r.out);
}

TEST_F(CliTest, AlignCountsANoPaddingFileAsDone) {
    Write("a.bin", std::string(1001, 'a'));
    Write("b.bin", std::string(1000, 'b'));
    const Result r = Run("align --align 8 --fill FF a.bin b.bin --log run.log");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(1008u, ReadBytes(dir.File("a.bin")).size());
    EXPECT_EQ(0xFF, ReadBytes(dir.File("a.bin")).back());
    // A padding that succeeded prints nothing failure-shaped on stderr.
    EXPECT_EQ("", r.err);
    EXPECT_NE(std::string::npos,
              r.out.find("文件2：#第1步：文件" + Abs("b.bin") + "长度1000已经是4字节的整数倍，无需对齐\n"));
    // The saved log holds the same lines with their "\r\n" endings.
    std::string expected = r.out;
    for (size_t at = expected.find('\n'); at != std::string::npos; at = expected.find('\n', at + 2))
        expected.replace(at, 1, "\r\n");
    // Empty log lines add no bytes to the file.
    for (size_t at = expected.find("\r\n\r\n"); at != std::string::npos; at = expected.find("\r\n\r\n"))
        expected.erase(at, 2);
    EXPECT_EQ(torvane::ToCodePage(expected), ReadText(dir.File("run.log")));  // saved in the code page
}

TEST_F(CliTest, MergeWritesMergeBinInTheCurrentFolderByDefault) {
    Write("a.bin", std::string(256, '\xAA'));
    Write("b.bin", std::string(128, '\xBB'));
    const Result r = Run("merge a.bin --offset 200 --fill FF b.bin");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("torvane-cli: 合并成功!\n", r.err);
    const std::vector<uint8_t> out = ReadBytes(dir.File("Merge.Bin"));
    ASSERT_EQ(640u, out.size());
    EXPECT_EQ(0xFF, out[0x100]);
    EXPECT_EQ(0xBB, out[0x200]);
    EXPECT_NE(std::string::npos, r.out.find("***文件合并成功！合并后的文件存于Merge.Bin,大小为640字节！***\n"));
}

#ifndef _WIN32
// Under an English locale the log and the boxes are English, with nothing of
// the Chinese left; --lang chooses either whatever the locale says.
TEST_F(CliTest, TheLogAndTheBoxesFollowTheLocaleAndLang) {
    Write("a.bin", std::string(256, '\xAA'));
    Write("b.bin", std::string(128, '\xBB'));
    const auto hasChinese = [](const std::string& text) {
        for (size_t i = 0; i + 2 < text.size(); ++i)
            if (static_cast<unsigned char>(text[i]) >= 0xE4 && static_cast<unsigned char>(text[i]) <= 0xE9) return true;
        return false;
    };
    environment = "LC_ALL= LANG=en_US.UTF-8 ";
    const Result english = Run("merge a.bin --offset 200 --fill FF b.bin");
    EXPECT_EQ(0, english.status) << english.err;
    EXPECT_EQ("torvane-cli: Merge succeeded.\n", english.err);
    EXPECT_NE(std::string::npos, english.out.find("***Merge succeeded! Merged file saved as Merge.Bin, 640 bytes***\n"));
    EXPECT_FALSE(hasChinese(english.out)) << english.out;

    const Result chosen = Run("--lang zh merge a.bin --offset 200 --fill FF b.bin");
    EXPECT_EQ("torvane-cli: 合并成功!\n", chosen.err);

    environment = "";
    const Result english2 = Run("--lang en merge a.bin --offset 200 --fill FF b.bin");
    EXPECT_EQ(english.out, english2.out);
    const Result wrong = Run("--lang de merge a.bin b.bin");
    EXPECT_EQ(2, wrong.status);
    EXPECT_NE(std::string::npos, wrong.err.find("--lang takes zh or en")) << wrong.err;
}
#endif

TEST_F(CliTest, MergeOverlapIsCancelledUnlessAnswered) {
    Write("a.bin", std::string(256, '\xAA'));
    Write("b.bin", std::string(16, '\xBB'));
    Result r = Run("merge -o out.bin a.bin --offset 10 b.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("提示: 文件2当前偏移地址0x00000010小于文件1"));
    EXPECT_NE(std::string::npos, r.out.find("#第1步：取消合并\n"));
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));

    r = Run("merge -o out.bin --on-overlap force a.bin --offset 10 b.bin");
    EXPECT_EQ(0, r.status);
    std::vector<uint8_t> out = ReadBytes(dir.File("out.bin"));
    ASSERT_EQ(256u, out.size());
    EXPECT_EQ(0xBB, out[0x10]);

    r = Run("merge -o out.bin --on-overlap append a.bin --offset 10 b.bin");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(272u, ReadBytes(dir.File("out.bin")).size());
}

TEST_F(CliTest, MergeOversizeIsCancelledUnlessAnswered) {
    Write("a.bin", std::string(16, '\xAA'));
    Write("b.bin", std::string(16, '\xBB'));
    EXPECT_EQ(1, Run("merge -o out.bin a.bin --offset 5FFFF1 b.bin").status);
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));
    EXPECT_EQ(0, Run("merge -o out.bin --on-oversize append a.bin --offset 5FFFF1 b.bin").status);
    EXPECT_EQ(32u, ReadBytes(dir.File("out.bin")).size());
}

TEST_F(CliTest, MergeThatCannotWriteFails) {
    Write("a.bin", std::string(16, '\xAA'));
    Write("b.bin", std::string(16, '\xBB'));
    const Result r = Run("merge -o no/such/dir/out.bin a.bin --offset 10 b.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 合并文件写入失败！\ntorvane-cli: no/such/dir/out.bin: " +
                  torvane::test::SystemText(torvane::test::SystemError::NoSuchFolder) + "\n",
              r.err);
}

TEST_F(CliTest, ExportThenRunMergesLikeTheWindow) {
    Write("a.bin", std::string(256, '\xAA'));
    Write("b.bin", std::string(128, '\xBB'));
    Result r = Run("export --config p.ini --layout merge a.bin --offset 200 --fill FF b.bin");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("信息: 已将文件配置信息保存到INI文件中。\n", r.err);
    const std::string ini = ReadText(dir.File("p.ini"));
    EXPECT_NE(std::string::npos, ini.find("[FileInfo2]\r\nFileName=" + Abs("b.bin") + "\r\nFileNo=2\r\nFileType=2\r\nFileSize=128\r\n"
                                          "BINOffset=00000200\r\nPolishType=2\r\nPolishData=1\r\n"));

    r = Run("run merge --config p.ini -o out.bin");
    EXPECT_EQ(0, r.status) << r.err;
    const std::vector<uint8_t> out = ReadBytes(dir.File("out.bin"));
    ASSERT_EQ(640u, out.size());
    EXPECT_EQ(0xFF, out[0x100]);
}

TEST_F(CliTest, AProjectKeepsTheMergesFormatBaseAndFields) {
    Write("a.bin", std::string(256, '\xAA'));
    Write("b.bin", std::string(128, '\xBB'));
    const std::string files = " a.bin --offset 200 b.bin";
    // In the addresses the map shows: the image offset plus the base.
    const std::string fields = " --field crc32@80003FC:8000000-80002FF --field length32@8000300:8000000-80002FF:be";
    Result r = Run("export --config p.ini --layout merge --to hex --base 8000000" + fields + files);
    ASSERT_EQ(0, r.status) << r.err;
    r = Run("merge -o direct.hex --base 8000000" + fields + files);
    ASSERT_EQ(0, r.status) << r.err;
    // Without -o the project's format names the output.
    r = Run("run merge --config p.ini");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(ReadText(dir.File("direct.hex")), ReadText(dir.File("Merge.hex")));
    EXPECT_EQ(0u, ReadText(dir.File("Merge.hex")).find(":020000040800F2\r\n"));
    // An output named on the command line wins over the project's; the
    // project's base still gives the fields their place in a BIN.
    r = Run("run merge --config p.ini -o plain.bin");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0x400u, ReadBytes(dir.File("plain.bin")).size());
    // So does a base: the fields then lie below the image, and nothing is written.
    r = Run("run merge --config p.ini -o moved.hex --base 8010000");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("lies below the image's first address 0x08010000")) << r.err;
    EXPECT_FALSE(torvane::test::Exists(dir.File("moved.hex")));
    // Fields the merge would refuse are not kept.
    EXPECT_EQ(2, Run("export --config bad.ini --field crc32@10:0-1F" + files).status);
    EXPECT_FALSE(torvane::test::Exists(dir.File("bad.ini")));
    r = Run("map a.bin --offset 200 b.bin --base 8000000");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, r.out.find("0x08000000  0x080000FF")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("addresses are image offsets + base 0x08000000")) << r.out;
}

TEST_F(CliTest, RunOfAProjectWithAMissingFileRunsNothing) {
    Write("a.bin", std::string(16, 'a'));
    Write("p.ini", "[FileInfo1]\nFileName=a.bin\nFileSize=16\n[FileInfo2]\nFileName=gone.bin\nFileSize=16\n");
    const Result r = Run("run merge --config p.ini");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 文件2不存在!\ntorvane-cli: " + Abs("gone.bin") + " (row 2): " +
                  torvane::test::SystemText(torvane::test::SystemError::NoSuchFile) + "\n",
              r.err);
    EXPECT_FALSE(torvane::test::Exists(dir.File("Merge.Bin")));
}

TEST_F(CliTest, RunOfAnEmptyProjectFails) {
    Write("p.ini", "");
    const Result r = Run("run hex2bin --config p.ini");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 该配置文件为空！\ntorvane-cli: p.ini: the file holds no section\n", r.err);
    EXPECT_EQ(2, Run("run hex2bin").status);
    EXPECT_EQ(2, Run("run --config p.ini").status);
    EXPECT_EQ(2, Run("run align --config p.ini a.bin").status);
}

TEST_F(CliTest, RunHex2BinFromAHandWrittenProject) {
    Write("app.hex", torvane::test::HexBlock(0x1000, 32));
    const std::string size = std::to_string(torvane::test::HexBlock(0x1000, 32).size());
    Write("p.ini", "; written by hand\n[fileinfo1]\nFileName = app.hex\nFileSize=" + size +
                       "\nOffsetAddr=00001000\nPolishType=0\nIsSaveOffsetData=0\n");
    const Result r = Run("run hex2bin --config p.ini");
    EXPECT_EQ(0, r.status) << r.err << r.out;
    EXPECT_EQ(32u, ReadBytes(dir.File("app.BIN")).size());
}

// What a careless build system feeds in: each bad input fails with its
// window line or box and, on a line of its own, the file, its row and why.

TEST_F(CliTest, StrayTextBetweenRecordsNamesTheLine) {
    Write("note.hex", ":0400000001020304F2\n; boot block\n:00000001FF\n");
    const Result r = Run("hex2bin --align 1 note.hex");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("文件1：#第2步：转换为Bin文件失败！\n"));
    EXPECT_TRUE(Has(r.err, Reason("note.hex", 1,
                                  "line 2: no record starts at byte 20 (a record begins its line with ':')")))
        << r.err;
}

TEST_F(CliTest, CutHexRecordNamesTheLine) {
    const std::string good = torvane::test::HexBlock(0, 16);  // records: address, data, end
    Write("cut.hex", good.substr(0, good.size() - 20));
    const Result r = Run("hex2bin --align 1 cut.hex");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("文件1：#第2步：转换为Bin文件失败！\n"));
    EXPECT_TRUE(Has(r.err, Reason("cut.hex", 1, "line 2: the record is cut off by the end of the file"))) << r.err;
}

TEST_F(CliTest, BadChecksumFollowsItsBoxWithTheLine) {
    Write("sum.hex", ":0400000001020304F3\r\n:00000001FF\r\n");
    const Result r = Run("hex2bin --align 1 sum.hex");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "torvane-cli: 错误的Hex文件！\n" +
                               Reason("sum.hex", 1, "line 1: the record's checksum does not match")))
        << r.err;
}

TEST_F(CliTest, DataOutsideTheImageNamesTheLine) {
    Write("far.hex", torvane::test::LinearRecord(0x0820) + torvane::test::DataRecord(0, {1, 2}) +
                         torvane::test::EndRecord());
    const Result r = Run("hex2bin --align 1 far.hex");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: HEX文件中地址0x08200000处的数据超出了2M的范围，加载失败！\n" +
                  Reason("far.hex", 1,
                         "line 2: the data at 0x08200000 lies outside the 2 MiB image (addresses "
                         "0x00000000-0x001FFFFF and 0x08000000-0x081FFFFF)"),
              r.err);
    EXPECT_FALSE(torvane::test::Exists(dir.File("far.BIN")));
}

TEST_F(CliTest, FileOverTheRowLimitNamesSizeAndLimit) {
    Write("big.bin", std::string(3 * 1024 * 1024, 'b'));
    Result r = Run("hex2bin big.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 文件大于2M，加载失败！\n" +
                  Reason("big.bin", 1, "the file is 3145728 bytes long, more than the 2097152 bytes (2 MiB) a row takes"),
              r.err);
    // A HEX file is limited by its image: 6 MiB of text.
    Write("big.hex", std::string(7 * 1024 * 1024, ':'));
    r = Run("hex2bin big.hex");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: HEX文件大于6M，加载失败！\n" +
                  Reason("big.hex", 1,
                         "the file is 7340032 bytes long, more than the 6291456 bytes (6 MiB of HEX text) a row takes"),
              r.err);
}

TEST_F(CliTest, FolderGivenAsAFileIsNamedSo) {
    std::filesystem::create_directory(dir.File("fw.hex"));
    const Result r = Run("hex2bin fw.hex");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 文件打开失败！\n" + Reason("fw.hex", 1, "it is a folder, not a file"), r.err);
}

// Reading needs no write access; only the padding does, and it says so (by
// our own check, also where root could write the file).
TEST_F(CliTest, ReadOnlyFileIsReadAndOnlyItsPaddingRefused) {
    Write("ro.bin", std::string(18, 'r'));
    std::filesystem::permissions(dir.File("ro.bin"), std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    Result r = Run("align ro.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(Reason("ro.bin", 1, "the file is read-only") +
                  "torvane-cli: 以下文件未能完成操作：文件1\r\n详细原因请查看操作记录。\n",
              r.err);
    r = Run("checksum md5 ro.bin");
    EXPECT_EQ(0, r.status) << r.err;
    Write("b.bin", std::string(4, 'b'));
    r = Run("merge -o out.bin ro.bin --offset 20 b.bin");
    EXPECT_EQ(0, r.status) << r.err;
}

#ifndef _WIN32
// Mode 000 is POSIX's; Windows has no such state to put a file in.
TEST_F(CliTest, UnreadableFileGivesTheSystemsText) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads a file of mode 000";
    Write("locked.bin", std::string(16, 'l'));
    std::filesystem::permissions(dir.File("locked.bin"), std::filesystem::perms::none);
    const Result r = Run("align locked.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 文件打开失败！\n" + Reason("locked.bin", 1, std::strerror(EACCES)), r.err);
}
#endif

TEST_F(CliTest, MissingProjectIsNoSuchFile) {
    const Result r = Run("run merge --config none.ini");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 该配置文件为空！\ntorvane-cli: none.ini: " +
                  torvane::test::SystemText(torvane::test::SystemError::NoSuchFile) + "\n",
              r.err);
}

TEST_F(CliTest, IncompleteProjectNamesTheWrongSection) {
    Write("a.bin", std::string(16, 'a'));
    Write("p9.ini", "[FileInfo1]\r\nFileName=a.bin\r\n[FileInfo9]\r\nFileName=a.bin\r\n");
    const Result r = Run("run merge --config p9.ini");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 该配置文件不完整！\n"
              "torvane-cli: p9.ini: the section name [FileInfo9] is not one of FileInfo1 to FileInfo6\n",
              r.err);
}

TEST_F(CliTest, PlacementPastSixMiBNamesTheAddress) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const Result r = Run("merge -o out.bin a.bin --offset FFFFFFFF b.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos,
              r.out.find("文件2：#第2步：文件" + Abs("b.bin") + "放置到0xFFFFFFFF处将超出合并文件6M的范围，合并终止\n"));
    EXPECT_EQ(Reason("b.bin", 2, "placed at 0xFFFFFFFF its 16 bytes would end at 0x10000000F, past the 6 MiB image "
                                 "(0x00600000)"),
              r.err);
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));
}

TEST_F(CliTest, DeclinedSizeQuestionNamesTheAddress) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const Result r = Run("merge -o out.bin a.bin --offset 5FFFF1 b.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(r.err.ends_with(Reason("b.bin", 2,
                                       "the merge was cancelled: placed at 0x005FFFF1 its 16 bytes would end at "
                                       "0x00600001, past the 6 MiB image (0x00600000), and the question whether to "
                                       "append it was answered No")))
        << r.err;
}

#ifndef _WIN32
// A device that takes no byte is POSIX's /dev/full.
TEST_F(CliTest, OutputThatCannotTakeTheImageGivesTheSystemsText) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const Result r = Run("merge -o /dev/full a.bin --offset 10 b.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("torvane-cli: 合并文件写入失败！\ntorvane-cli: /dev/full: " + std::string(std::strerror(ENOSPC)) + "\n",
              r.err);
}
#endif

TEST_F(CliTest, ConversionOntoAnotherRowNamesBothFiles) {
    Write("app.hex", torvane::test::HexBlock(0, 16));
    Write("app.BIN", "the user's own image");
    const Result r = Run("hex2bin app.hex app.BIN");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(r.err.ends_with(Reason("app.hex", 1, "its BIN file " + Abs("app.BIN") + " would replace " +
                                                         Abs("app.BIN") + ", the file of row 2")))
        << r.err;
}

TEST_F(CliTest, InvalidAdapterConfigurationSaysWhy) {
    Write("ten.cfg", "Kavrun_Po\x01");
    const Result r = Run("nic-info ten.cfg");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("网卡配置文件无效！\n", r.out);
    EXPECT_EQ("torvane-cli: ten.cfg: the file is 10 bytes long, shorter than its 24-byte tag\n", r.err);
}

TEST_F(CliTest, UpgradeImageTooShortNamesItsLength) {
    Write("ok.cfg", std::string("Kavrun_PortSetupApp.exe", 23) + std::string(1, '\0'));
    Write("img.bin", std::string(100, '\0'));
    const Result r = Run("nic-upgrade --config ok.cfg --image img.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(r.out.ends_with("升级文件长度为100字节,不足16648字节,无法写入网卡配置！\n")) << r.out;
    EXPECT_EQ("torvane-cli: img.bin: the image is 100 bytes long; the settings at 0x4000 need at least 16648 bytes\n",
              r.err);
    EXPECT_FALSE(torvane::test::Exists(dir.File("img_new.bin")));
}

// The file the hook below replaces, once the rows are loaded.
std::string g_replacedFile;

TEST_F(CliTest, FileReplacedAfterLoadingIsLeftOutWithBothLengths) {
    const std::string a = Write("a.bin", std::string(16, 'a'));
    g_replacedFile = Write("b.bin", std::string(16, 'b'));
    torvane::cli::SetWorkHookForTesting([](const std::string&) {
        std::FILE* f = std::fopen(g_replacedFile.c_str(), "wb");
        if (!f || std::fwrite("twenty bytes, not 16", 1, 20, f) != 20 || std::fclose(f) != 0) std::abort();
    });
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status =
        torvane::cli::Run({"merge", "-o", dir.File("out.bin"), "--allow-incomplete", a, "--offset", "10", g_replacedFile},
                          out, err);
    torvane::cli::SetWorkHookForTesting(nullptr);
    EXPECT_EQ(1, status);
    EXPECT_NE(std::string::npos, Drain(out).find("（记录的大小为16字节，现在为20字节）"));
    EXPECT_TRUE(Has(Drain(err), "torvane-cli: " + g_replacedFile +
                                    " (row 2): the file changed since it was chosen: 16 bytes were recorded, it now "
                                    "has 20\n"));
    EXPECT_EQ(std::string(16, 'a'), ReadText(dir.File("out.bin")));
}

// Every command that prints fails when its stdout cannot take the lines, and
// says why; the work itself is done all the same. (/dev/full is POSIX.)
#ifndef _WIN32
TEST_F(CliTest, EveryPrintingCommandReportsAStdoutThatCannotBeWritten) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const std::vector<uint8_t> config = torvane::test::NicConfigFile(torvane::test::CountingBody());
    Write("adapter.cfg", std::string(config.begin(), config.end()));
    Write("fw.bin", std::string(0x4108, '\x77'));
    const std::string reason = "torvane-cli: cannot write to standard output: " + std::string(std::strerror(ENOSPC)) + "\n";
    for (const char* args : {"merge -o out.bin a.bin --offset 10 b.bin", "checksum md5 a.bin", "nic-info adapter.cfg",
                             "nic-upgrade --config adapter.cfg --image fw.bin", "--help", "--version"}) {
        const Result r = Run(args, "/dev/full");
        EXPECT_EQ(1, r.status) << args;
        EXPECT_TRUE(r.err.ends_with(reason)) << args << "\n" << r.err;
        EXPECT_EQ(r.err.find("standard output"), r.err.rfind("standard output")) << args << "\n" << r.err;
    }
    EXPECT_EQ(32u, ReadBytes(dir.File("out.bin")).size());
    EXPECT_EQ(0x4108u, ReadBytes(dir.File("fw_new.bin")).size());
}
#endif

TEST_F(CliTest, AClosedPipeDoesNotStopTheMergeHalfWay) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const Result r = RunIntoClosedPipe("merge -o out.bin a.bin --offset 10 b.bin --log run.log");
    EXPECT_EQ(1, r.status);
#ifdef _WIN32
    // The C library of Windows knows no EPIPE for this pipe: only the line itself is checked.
    EXPECT_NE(std::string::npos, r.err.find("torvane-cli: cannot write to standard output: ")) << r.err;
#else
    EXPECT_TRUE(r.err.ends_with("torvane-cli: cannot write to standard output: " + std::string(std::strerror(EPIPE)) +
                                "\n"))
        << r.err;
#endif
    EXPECT_EQ(std::string(16, 'a') + std::string(16, 'b'), ReadText(dir.File("out.bin")));
    EXPECT_TRUE(ReadText(dir.File("run.log")).ends_with(torvane::ToCodePage("大小为32字节！***\r\n")))
        << ReadText(dir.File("run.log"));
}

// Whatever a run ends in, its --log file holds its own lines and nothing older.
TEST_F(CliTest, LogFileHoldsThatRunOnly) {
    Write("empty.hex", "");
    Write("p.ini", "");
    Write("a.bin", std::string(256, 'a'));
    Write("b.bin", std::string(16, 'b'));
    for (const char* refused : {"hex2bin empty.hex --log run.log", "run merge --config p.ini --log run.log"}) {
        Write("run.log", "an older run\r\n");
        EXPECT_EQ(1, Run(refused).status) << refused;
        EXPECT_TRUE(torvane::test::Exists(dir.File("run.log"))) << refused;
        EXPECT_EQ("", ReadText(dir.File("run.log"))) << refused;
    }
    const Result cancelled = Run("merge -o out.bin a.bin --offset 10 b.bin --log run.log");
    EXPECT_EQ(1, cancelled.status);
    EXPECT_TRUE(ReadText(dir.File("run.log")).ends_with(torvane::ToCodePage("#第1步：取消合并\r\n")));

    // A command line that does not parse runs nothing and writes nothing.
    std::filesystem::remove(dir.File("run.log"));
    EXPECT_EQ(2, Run("merge --fill GG a.bin --log run.log").status);
    EXPECT_FALSE(torvane::test::Exists(dir.File("run.log")));

    const Result unwritable = Run("align --align 2 a.bin --log no/such/run.log");  // nothing to pad
    EXPECT_EQ(1, unwritable.status);
    EXPECT_EQ("torvane-cli: cannot write the log to no/such/run.log: " +
                  torvane::test::SystemText(torvane::test::SystemError::NoSuchFolder) + "\n",
              unwritable.err);
}

// The log is saved last: onto a file the run reads or writes it would destroy
// that file, so such a run is refused before anything is written.
TEST_F(CliTest, LogNeverReplacesAFileOfTheRun) {
    const std::string hex = torvane::test::HexBlock(0, 16);
    Write("app.hex", hex);
    Write("a.bin", std::string(16, 'a'));
    for (const char* args : {"merge -o out.bin a.bin --log ./a.bin", "merge -o out.bin a.bin --log out.bin",
                             "hex2bin app.hex --log app.BIN", "export --config p.ini a.bin --log p.ini"}) {
        const Result r = Run(args);
        EXPECT_EQ(1, r.status) << args;
        EXPECT_NE(std::string::npos, r.err.find("torvane-cli: the log cannot be saved to ")) << args << r.err;
        EXPECT_EQ("", r.out) << args;
    }
    EXPECT_EQ(std::string(16, 'a'), ReadText(dir.File("a.bin")));
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")) || torvane::test::Exists(dir.File("app.BIN")) ||
                 torvane::test::Exists(dir.File("p.ini")));
}

// What no field of the window could hold is a wrong command line, and so is
// an option that would have to pick one of two values.
TEST_F(CliTest, ValuesNoFieldCouldHoldAreUsageErrors) {
    Write("a.bin", std::string(16, 'a'));
    for (const char* args :
         {"merge --offset 1G a.bin", "merge --offset '' a.bin", "merge --offset 100000000 a.bin",
          "merge --offset 10 --offset 20 a.bin", "merge --fill 0 a.bin", "merge -o x.bin -o y.bin a.bin",
          "merge --on-overlap force --on-overlap cancel a.bin", "merge --log x.log --log y.log a.bin", "merge --log '' a.bin",
          "hex2bin --keep-before-offset --no-keep-before-offset a.bin", "hex2bin --config p.ini a.bin",
          "align --layout merge a.bin", "hex2bin --on-oversize append a.bin", "hex2bin ''",
          "export --config p.ini --config q.ini a.bin", "testbin -o t.bin --fill GG", "testbin -o t.bin --length 16abc",
          "bin2c -o x.h -o y.h a.bin", "nic-upgrade --config c.cfg --image a.bin -"}) {
        const Result r = Run(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_NE(std::string::npos, r.err.find("Usage")) << args;
        EXPECT_EQ("", r.out) << args;
    }
    for (const char* written : {"x.bin", "y.bin", "x.log", "y.log", "p.ini", "q.ini", "t.bin", "x.h", "y.h"})
        EXPECT_FALSE(torvane::test::Exists(dir.File(written))) << written;
}

// "--" ends the options, so a file may begin with '-'; "-" alone is a file.
TEST_F(CliTest, DoubleDashEndsTheOptions) {
    Write("-dash.hex", torvane::test::HexBlock(0, 16));
    Write("-", "abc");
    Result r = Run("hex2bin --align 1 -- -dash.hex");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(16u, ReadBytes(dir.File("-dash.BIN")).size());
    r = Run("checksum md5 -- -");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72\n", r.out);
    EXPECT_EQ(0, Run("bin2c -o -dash.h -- -").status);
    EXPECT_TRUE(torvane::test::Exists(dir.File("-dash.h")));
}

TEST_F(CliTest, Bin2cTypeUint8tWritesTheStdintForm) {
    Write("fw.bin", "\x01\x02");
    EXPECT_EQ(0, Run("bin2c fw.bin --type uint8_t").status);
    EXPECT_EQ("#include <stdint.h>\r\n\r\nconst uint8_t Bin_Tab[ ] =\r\n{\r\n\t0X01,0X02\r\n};\r\n", ReadText(dir.File("fw.h")));
    EXPECT_EQ(0, Run("bin2c fw.bin -o plain.h").status);
    EXPECT_EQ(0u, ReadText(dir.File("plain.h")).find("const UINT8 Bin_Tab[ ] ="));
    const Result wrong = Run("bin2c fw.bin --type int");
    EXPECT_EQ(2, wrong.status);
    EXPECT_NE(std::string::npos, wrong.err.find("--type takes UINT8 or uint8_t"));
}

}  // namespace

// A merge that left a row out writes nothing, so yesterday's image stays;
// --allow-incomplete writes it, and it is still no success.
TEST_F(CliTest, MergeWithARowLeftOutWritesNothingUnlessAllowed) {
    Write("boot.hex", ":0400000001020304F2\n# boot\n:00000001FF\n");  // not a record
    Write("app.bin", std::string(16, 'a'));
    Write("fw.bin", "yesterday's image");
    Result r = Run("merge -o fw.bin boot.hex --offset 1000 app.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("yesterday's image", ReadText(dir.File("fw.bin")));
    EXPECT_NE(std::string::npos, r.err.find("提示: 以下文件未能合并：文件1"));
    EXPECT_NE(std::string::npos, r.err.find("仍然写入不完整的合并文件吗？"));
    EXPECT_NE(std::string::npos, r.err.find("torvane-cli: fw.bin: the image lacks the files left out"));
    EXPECT_NE(std::string::npos, r.out.find("***文件合并未完成！缺少文件1，合并文件fw.bin未写入！***"));

    r = Run("merge -o fw.bin --allow-incomplete boot.hex --offset 1000 app.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(std::string::npos, r.err.find("合并成功!"));
    EXPECT_NE(std::string::npos, r.err.find("合并文件已写入，但以下文件未能合并：文件1"));
    EXPECT_NE(std::string::npos, r.out.find("***文件合并未完成！合并后的文件存于"));
    EXPECT_EQ(0x1010u, ReadBytes(dir.File("fw.bin")).size());
    // The map plans the same: without the option no image.
    EXPECT_NE(std::string::npos, Run("map boot.hex --offset 1000 app.bin").out.find("no image is written"));
    EXPECT_EQ(std::string::npos,
              Run("map --allow-incomplete boot.hex --offset 1000 app.bin").out.find("no image is written"));
    EXPECT_EQ(2, Run("hex2bin --allow-incomplete boot.hex").status);
}

TEST_F(CliTest, BatchWhoseOutputIsAnotherInputWritesNothing) {
    Write("app.hex", torvane::test::HexBlock(0, 16));
    Write("app.BIN", "the user's own image");
    for (const char* args : {"hex2bin app.hex app.BIN", "hex2bin app.hex ./app.BIN", "align app.hex app.BIN"}) {
        const Result r = Run(args);
        EXPECT_EQ(1, r.status) << args;
        EXPECT_NE(std::string::npos, r.err.find("文件1转换生成的" + Abs("app.BIN") + "与文件2是同一个文件")) << args;
        EXPECT_EQ("the user's own image", ReadText(dir.File("app.BIN"))) << args;
    }
    // The merge converts in memory: it takes both files and replaces neither.
    const Result r = Run("merge -o out.bin --align 1 app.hex --offset 1000 app.BIN");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("the user's own image", ReadText(dir.File("app.BIN")));
}

TEST_F(CliTest, ExportOntoARowsFileIsRefused) {
    Write("a.bin", std::string(16, 'a'));
    const Result r = Run("export --config a.bin a.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(std::string(16, 'a'), ReadText(dir.File("a.bin")));
}

TEST_F(CliTest, ProjectsWorkFromAnyFolder) {
    std::filesystem::create_directories(dir.File("proj"));
    Write("proj/fw.bin", std::string(16, 'p'));
    Write("fw.bin", std::string(16, 'o'));  // the same name in the current folder
    // Exported with a relative file name, the project names the absolute path.
    Result r = Run("export --config proj/p.ini proj/fw.bin");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, ReadText(dir.File("proj/p.ini")).find("FileName=" + Abs("proj/fw.bin") + "\r\n"));
    // A hand-written relative name means the project's folder, not the current one.
    Write("proj/h.ini", "[FileInfo1]\r\nFileName=fw.bin\r\nFileSize=16\r\nPolishType=1\r\n"
                        "[FileInfo2]\r\nFileName=fw.bin\r\nFileSize=16\r\nBINOffset=10\r\n");
    r = Run("run merge --config proj/h.ini -o m.bin");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(std::string(32, 'p'), ReadText(dir.File("m.bin")));
}

TEST_F(CliTest, MapPrintsTheMergeItWouldMakeAndWritesNothing) {
    Write("a.bin", std::string(4, 'a'));
    Write("b.bin", std::string(300, 'b'));
    Write("fw.hex", torvane::test::HexBlock(0, 0x40));
    const Result r = Run("map a.bin --offset 100 --fill FF b.bin --offset 10 fw.hex --on-overlap force");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("0x00000000  0x00000003           4  file     row 1  " + Abs("a.bin") + "\n"
              "0x00000004  0x0000000F          12  fill     byte 0xFF\n"
              "0x00000010  0x0000004F          64  file     row 3  " + Abs("fw.hex") + "\n"
              "0x00000050  0x000000FF         176  fill     byte 0xFF\n"
              "0x00000100  0x0000022B         300  file     row 2  " + Abs("b.bin") + "\n"
              "image size 556 bytes\n",
              r.out);
    EXPECT_FALSE(torvane::test::Exists(dir.File("fw.BIN")));
    EXPECT_FALSE(torvane::test::Exists(dir.File("Merge.Bin")));
    // Without an answer the overlap cancels, as the merge's would.
    const Result cancelled = Run("map a.bin --offset 2 b.bin");
    EXPECT_EQ(1, cancelled.status);
    EXPECT_NE(std::string::npos, cancelled.out.find("stops at row 2"));
}

TEST_F(CliTest, MergeWritesTheMapOfTheMergeItRan) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const Result r = Run("merge -o out.bin a.bin --offset 20 b.bin --map m.json --format json");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, ReadText(dir.File("m.json")).find("{\"image_size\": 48,"));
    EXPECT_EQ(48u, ReadBytes(dir.File("out.bin")).size());
    EXPECT_EQ(2, Run("hex2bin a.bin --map m.txt").status);
    EXPECT_EQ(2, Run("map a.bin b.bin --format png").status);
}

TEST_F(CliTest, MapAsSvgIsAWellFormedPicture) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const Result r = Run("map a.bin --offset 1000 b.bin --format svg");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, r.out.find("<?xml"));
    Write("m.svg", r.out);
    if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
        EXPECT_EQ(0, std::system(("xmllint --noout '" + dir.File("m.svg") + "'").c_str()));
    }
}

TEST_F(CliTest, InfoListsTheSegmentsAndSaysWhereTheDecodingStopped) {
    Write("fw.hex", torvane::test::HexBlock(0x08000000, 0x20));
    Result r = Run("info fw.hex");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(Abs("fw.hex") + "\n"
              "segment  0x08000000  0x0800001F          32 bytes\n"
              "lowest address 0x08000000, image end 0x00000020, end record reached\n",
              r.out);
    Write("cut.hex", ":0400000001020304F2\n:0000000");
    r = Run("info cut.hex --format json");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos,
              r.out.find("\"failure\": {\"kind\": \"record_past_text\", \"line\": 2, \"offset\": 20}"));
    EXPECT_EQ("torvane-cli: " + Abs("cut.hex") + ": line 2: the record is cut off by the end of the file\n", r.err);
}

// Every reader gives srec_cat's bytes or refuses with a reason; what it reads
// all the same it says on stderr as a warning.

TEST_F(CliTest, SRecordsWithoutAStartRecordAreReadEverywhereWithAWarning) {
    // As srec_cat writes an image without a start address: S0, data, S5, no S9.
    Write("app.s19", "S0060000617070B8\nS107100001020304DE\nS5030001FB\n");
    const std::string warning = "torvane-cli: " + Abs("app.s19") + ": warning: no start record (S7, S8 or S9): the file "
                                "gives no start address\n";
    Result r = Run("convert app.s19 -o app.bin");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(warning, r.err);
    EXPECT_EQ(std::string("\x01\x02\x03\x04"), ReadText(dir.File("app.bin")));
    r = Run("info app.s19");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(warning, r.err);
    r = Run("stamp app.s19 -o st.s19 --field add8@1004:1000-1003");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(warning, r.err);
    // A merge row: in the image, and the warning on its row.
    Write("a.bin", std::string(16, 'a'));
    r = Run("merge -o out.bin a.bin app.s19");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.err, "torvane-cli: " + Abs("app.s19") + " (row 2): warning: no start record")) << r.err;
    EXPECT_TRUE(Has(r.out, "文件2：#第2步：注意：没有起始地址记录（S7、S8或S9）：文件未给出起始地址")) << r.out;
    const std::vector<uint8_t> merged = ReadBytes(dir.File("out.bin"));
    ASSERT_EQ(0x1004u, merged.size());
    EXPECT_EQ(0x04, merged[0x1003]);
}

TEST_F(CliTest, AFileWithoutDataIsRefusedByEveryCommand) {
    Write("none.s19", "S9030000FC\n");
    Write("none.hex", ":00000001FF\n");
    Write("a.bin", std::string(16, 'a'));
    for (const char* name : {"none.s19", "none.hex"}) {
        const std::string n = name;
        const std::string reason = Abs(n) + ": the file contains no data";
        Result r = Run("convert " + n + " -o out.bin");
        EXPECT_EQ(1, r.status) << n;
        EXPECT_EQ("torvane-cli: " + reason + "\n", r.err);
        EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));
        r = Run("info " + n);
        EXPECT_EQ(1, r.status) << n;
        EXPECT_TRUE(Has(r.err, reason)) << r.err;
        EXPECT_EQ(1, Run("stamp " + n + " -o st.hex --field add8@10:0-3").status) << n;
        r = Run("merge -o m.bin a.bin " + n);
        EXPECT_EQ(1, r.status) << n;
        EXPECT_TRUE(Has(r.err, Reason(n, 2, "the file contains no data"))) << r.err;
        EXPECT_EQ(1, Run("hex2bin " + n).status) << n;
    }
}

TEST_F(CliTest, InfoListsAHexFileAsConvertReadsIt) {
    // QSPI at 0x90000000 and the top of the space: outside the window's 2 MiB image.
    Write("qspi.hex", ":0200000490006A\n:0400000001020304F2\n:020000040000FA\n:00000001FF\n");
    Result r = Run("info qspi.hex");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(Abs("qspi.hex") + "\n"
              "segment  0x90000000  0x90000003           4 bytes\n"
              "lowest address 0x90000000, image end none (outside the 2 MiB image), end record reached\n",
              r.out);
    r = Run("info qspi.hex --format json");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.out, "\"lowest\": 2415919104, \"image_end\": null, \"end_record\": true")) << r.out;
    Write("top.hex", ":02000004FFFFFC\n:04F00000AABBCCDDFE\n:00000001FF\n");
    r = Run("info top.hex");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.out, "segment  0xFFFFF000  0xFFFFF003           4 bytes\n")) << r.out;
    // The same file converts to the same segments.
    ASSERT_EQ(0, Run("convert qspi.hex -o q.bin").status);
    EXPECT_EQ(std::string("\x01\x02\x03\x04"), ReadText(dir.File("q.bin")));
}

TEST_F(CliTest, InfoEscapesAnSRecordHeaderAndGivesTheBytesOfEveryName) {
    // S0 text "a\x01b\\\xff".
    Write("h.s19", "S00800006101625CFFD8\nS107100001020304DE\nS9031000EC\n");
    Result r = Run("info h.s19");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.out, "header a\\x01b\\\\\\xFF\n")) << r.out;
    r = Run("info h.s19 --format json");
    EXPECT_TRUE(Has(r.out, "\"header_bytes\": \"6101625cff\"")) << r.out;
#ifndef _WIN32
    const std::string odd = "\xff\xfe.s19";
    Write(odd, "S107100001020304DE\nS9031000EC\n");
    r = Run("info '" + odd + "' --format json");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Has(r.out, "\"path_bytes\": \"")) << r.out;
    EXPECT_TRUE(Has(r.out, "fffe2e733139\"")) << r.out;
#endif
}

TEST_F(CliTest, TheS0HeaderIsTheOutputsBaseName) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    std::filesystem::create_directories(torvane::test::FsPath(dir.File("sub")));
    ASSERT_EQ(0, Run("convert a.bin -o sub/c.s19").status);
    ASSERT_EQ(0, Run("stamp a.bin -o sub/s.s19 --field add8@10:0-F").status);
    ASSERT_EQ(0, Run("merge -o sub/m.s19 a.bin --offset 100 b.bin").status);
    for (const char* name : {"c.s19", "s.s19", "m.s19"}) {
        const std::string text = ReadText(dir.File(std::string("sub/") + name));
        std::string header;
        for (size_t i = 8; i + 4 < text.find('\n'); i += 2) header += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
        EXPECT_EQ(name, header) << text.substr(0, text.find('\n'));
    }
}

TEST_F(CliTest, AFailuresReasonIsPrintedOnce) {
    Write("bad.hex", ":0400000001020304F3\n:00000001FF\n");
    Write("a.bin", std::string(16, 'a'));
    const std::string reason = "line 1: the record's checksum does not match";
    for (const std::string& args : {std::string("hex2bin bad.hex"), std::string("merge -o m.bin a.bin bad.hex"),
                                    std::string("convert bad.hex -o c.bin"), std::string("info bad.hex"),
                                    std::string("stamp bad.hex -o s.hex --field add8@10:0-3")}) {
        const Result r = Run(args);
        EXPECT_EQ(1, r.status) << args;
        const size_t first = r.err.find(reason);
        ASSERT_NE(std::string::npos, first) << args << r.err;
        EXPECT_EQ(std::string::npos, r.err.find(reason, first + 1)) << args << "\n" << r.err;
    }
}

// Real firmware files work with no options: a bootloader at its own address,
// LF line ends, upper-case names, HEX text under a BIN name.

TEST_F(CliTest, AnLfHexFileConvertsAsTheCrLfOneDoes) {
    std::string lf = torvane::test::HexBlock(0x08000000, 0x40);
    for (size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at)) lf.erase(at, 1);
    Write("APP.HEX", lf);
    Write("crlf.hex", torvane::test::HexBlock(0x08000000, 0x40));
    EXPECT_EQ(0, Run("hex2bin APP.HEX crlf.hex").status);
    EXPECT_EQ(ReadBytes(dir.File("crlf.BIN")), ReadBytes(dir.File("APP.BIN")));
    EXPECT_EQ(0x40u, ReadBytes(dir.File("APP.BIN")).size());
}

TEST_F(CliTest, HexTextUnderABinNameNeedsAsBin) {
    Write("boot.bin", torvane::test::HexBlock(0, 16));
    Write("app.bin", std::string(16, 'a'));
    Result r = Run("merge -o out.bin boot.bin --offset 1000 app.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, Reason("boot.bin", 1, torvane::kHexTextAsBinReason))) << r.err;
    r = Run("merge -o out.bin --as-bin boot.bin --offset 1000 app.bin");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(':', ReadBytes(dir.File("out.bin")).at(0));
    EXPECT_EQ(1, Run("align boot.bin").status);
}

#ifndef _WIN32
// srec_cat is the reference: the same two files give the same image.
TEST_F(CliTest, ABootloaderMergesAtItsOwnAddressAsSrecCatPlacesIt) {
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat is not installed";
    std::string boot(0x800, '\0');
    for (size_t i = 0; i < boot.size(); ++i) boot[i] = static_cast<char>(i * 13 + 5);
    Write("boot.raw", boot);
    Write("app.bin", std::string(0x1000, '\x5A'));
    // A bootloader as a toolchain writes it: LF line ends, at 0x7800.
    ASSERT_EQ(0, std::system(("cd '" + dir.path() + "' && srec_cat boot.raw -binary -offset 0x7800 -o boot.hex -intel")
                                 .c_str()));
    const Result r = Run("merge -o f.bin app.bin boot.hex");
    ASSERT_EQ(0, r.status) << r.err;
    ASSERT_EQ(0, std::system(("cd '" + dir.path() + "' && srec_cat app.bin -binary boot.hex -intel -o ref.bin -binary")
                                 .c_str()));
    EXPECT_EQ(ReadBytes(dir.File("ref.bin")), ReadBytes(dir.File("f.bin")));
    EXPECT_EQ(0x8000u, ReadBytes(dir.File("f.bin")).size());
    EXPECT_FALSE(torvane::test::Exists(dir.File("boot.BIN")));  // the merge writes only its output
}

// The job of a firmware engineer: a bootloader HEX at 0x08000000 with a hole
// of 4,864 bytes between its records, an application BIN at 0x08004000,
// merged into one Intel HEX with the CRC-32 of the image in its last four
// bytes. srec_cat makes the same file with either fill of the hole.
TEST_F(CliTest, TheBootloaderAndApplicationJobIsSrecCatsForEitherGapFill) {
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) GTEST_SKIP() << "srec_cat is not installed";
    std::string low(0x1000, '\0');
    std::string high(0xD00, '\0');
    std::string app(0x800, '\0');
    for (size_t i = 0; i < low.size(); ++i) low[i] = static_cast<char>(i * 13 + 5);
    for (size_t i = 0; i < high.size(); ++i) high[i] = static_cast<char>(i * 7 + 3);
    for (size_t i = 0; i < app.size(); ++i) app[i] = static_cast<char>(i * 11 + 1);
    Write("low.bin", low);
    Write("high.bin", high);
    Write("app.bin", app);
    const auto shell = [&](const std::string& command) {
        return std::system(("cd '" + dir.path() + "' && " + command + " >/dev/null 2>&1").c_str());
    };
    ASSERT_EQ(0, shell("srec_cat low.bin -binary -offset 0x08000000 high.bin -binary -offset 0x08002300 -o boot.hex "
                       "-intel"));
    struct Case {
        const char* gapFill;
        const char* holeFill;  // srec_cat's filter for the hole
    };
    for (const Case& c : {Case{"00", "-fill 0x00 0x08000000 0x08003000"}, Case{"row", ""}}) {
        const Result r = Run(std::string("merge -o ours.hex --gap-fill ") + c.gapFill +
                             " --field crc32@end:start-end --fill FF boot.hex --offset 4000 --fill FF app.bin");
        ASSERT_EQ(0, r.status) << r.err;
        EXPECT_NE(std::string::npos,
                  r.out.find(std::string("文件1：#第3步：文件记录之间有1处空隙，共4864字节，已填充0x") +
                             (std::string(c.gapFill) == "row" ? "FF" : "00")))
            << r.out;
        ASSERT_EQ(0, shell(std::string("srec_cat '(' boot.hex -intel ") + c.holeFill +
                           " -fill 0xFF 0x08000000 0x08004000 app.bin -binary -offset 0x08004000 ')' -crc32-l-e "
                           "0x08004800 -o ref.hex -intel"));
        // Compared as data (srec_cmp), and as the flat image both describe.
        EXPECT_EQ(0, shell("srec_cmp ours.hex -intel ref.hex -intel")) << c.gapFill;
        ASSERT_EQ(0, shell("srec_cat ours.hex -intel -offset -0x08000000 -o ours.bin -binary && "
                           "srec_cat ref.hex -intel -offset -0x08000000 -o ref.bin -binary"));
        const std::vector<uint8_t> ours = ReadBytes(dir.File("ours.bin"));
        EXPECT_EQ(ReadBytes(dir.File("ref.bin")), ours) << c.gapFill;
        ASSERT_EQ(0x4804u, ours.size());
        EXPECT_EQ(std::string(c.gapFill) == "row" ? 0xFF : 0x00, ours[0x1000]);
    }
}
#endif

TEST_F(CliTest, TheGapsOfAHexFileTakeTheChosenFillEverywhere) {
    Write("gap.hex", torvane::test::DataRecord(0, {1, 2}) + torvane::test::DataRecord(0x10, {3}) +
                         torvane::test::EndRecord());
    Result r = Run("hex2bin --gap-fill row --align 1 --fill FF gap.hex");
    ASSERT_EQ(0, r.status) << r.err;
    std::vector<uint8_t> expected(0x11, 0xFF);
    expected[0] = 1;
    expected[1] = 2;
    expected[0x10] = 3;
    EXPECT_EQ(expected, ReadBytes(dir.File("gap.BIN")));
    r = Run("map --gap-fill row --fill FF gap.hex --offset 100 --fill FF gap.hex");
    EXPECT_NE(std::string::npos, r.out.find("0x00000002  0x0000000F          14  gap      row 1  byte 0xFF  ")) << r.out;
    // The project keeps it; run takes it, and the command line's wins.
    ASSERT_EQ(0, Run("export --config p.ini --gap-fill row --align 1 --fill FF gap.hex").status);
    EXPECT_NE(std::string::npos, ReadText(dir.File("p.ini")).find("GapFill=row\r\n"));
    ASSERT_EQ(0, Run("run hex2bin --config p.ini --gap-fill 00").status);
    EXPECT_EQ(0x00, ReadBytes(dir.File("gap.BIN")).at(2));
    ASSERT_EQ(0, Run("run hex2bin --config p.ini").status);
    EXPECT_EQ(0xFF, ReadBytes(dir.File("gap.BIN")).at(2));
    for (const char* wrong : {"hex2bin --gap-fill FF gap.hex", "hex2bin --gap-fill row --gap-fill 00 gap.hex",
                              "info --gap-fill row gap.hex"}) {
        EXPECT_EQ(2, Run(wrong).status) << wrong;
    }
    EXPECT_NE(std::string::npos, Run("--help").out.find("--gap-fill row|00"));
    EXPECT_NE(std::string::npos, Run("export --help").out.find("[--field FIELD ...] [--gap-fill row|00]"));
}

// Every output of a run is compared with every other file of the run by one
// normal absolute spelling, also before it exists.
TEST_F(CliTest, TwoSpellingsOfOneNewFileAreOneFile) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    for (const std::string& args :
         {std::string("merge -o new.bin --log ./new.bin a.bin --offset 1000 b.bin"),
          "merge -o new.bin --log " + Abs("new.bin") + " a.bin --offset 1000 b.bin",
          std::string("merge -o ./x --map x a.bin --offset 1000 b.bin"),
          std::string("merge -o sub/../x --map .//x a.bin --offset 1000 b.bin"),
          std::string("export --config c.ini --log ./c.ini a.bin")}) {
        const Result r = Run(args);
        EXPECT_EQ(1, r.status) << args;
        EXPECT_NE(std::string::npos, r.err.find(" cannot be saved to ")) << args << r.err;
        for (const char* written : {"new.bin", "x", "c.ini"})
            EXPECT_FALSE(torvane::test::Exists(dir.File(written))) << args << " " << written;
    }
    Write("ok.cfg", std::string("Kavrun_PortSetupApp.exe", 23) + std::string(1, '\0'));
    Write("img.bin", std::string(20000, '\0'));
    const Result r = Run("nic-upgrade --config ok.cfg --cdrom ./img.bin --image img.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("会覆盖")) << r.out;
    EXPECT_FALSE(torvane::test::Exists(dir.File("img_new.bin")));
}

TEST_F(CliTest, MapAndLogNamingOneFileAreRefused) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    const Result r = Run("merge -o out.bin a.bin --offset 1000 b.bin --map m.txt --log ./m.txt");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("the log cannot be saved to ./m.txt: it is the file m.txt of this run"))
        << r.err;
    EXPECT_FALSE(torvane::test::Exists(dir.File("m.txt")));
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));
}

// The project of a run is read by it: no output of the run may replace it.
TEST_F(CliTest, ARunNeverWritesOverItsProject) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    ASSERT_EQ(0, Run("export --config p.ini --layout merge a.bin --offset 1000 b.bin").status);
    const std::string project = ReadText(dir.File("p.ini"));
    std::vector<std::string> runs = {"run merge --config p.ini -o p.ini", "run merge --config p.ini -o ./P.ini"};
#ifndef _WIN32
    runs = {"run merge --config p.ini -o p.ini", "run merge --config p.ini -o ./link.ini",
            "run merge --config link.ini -o p.ini"};
    std::filesystem::create_symlink("p.ini", dir.File("link.ini"));
#endif
    for (const std::string& args : runs) {
        const Result r = Run(args);
        EXPECT_EQ(1, r.status) << args;
        EXPECT_NE(std::string::npos, r.err.find("torvane-cli: the image cannot be saved to ")) << args << r.err;
        EXPECT_EQ(project, ReadText(dir.File("p.ini"))) << args;
    }
}

TEST_F(CliTest, AProjectWhoseFileChangedSizeRunsNothingAndFails) {
    Write("a.bin", std::string(16, 'a'));
    Write("b.bin", std::string(16, 'b'));
    ASSERT_EQ(0, Run("export --config p.ini --layout merge a.bin --offset 1000 b.bin").status);
    Write("b.bin", std::string(20, 'b'));
    const Result r = Run("run merge --config p.ini -o out.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("the file changed: 16 bytes were recorded, it now has 20")) << r.err;
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));
}

#ifndef _WIN32
// JSON and SVG output parse with strict parsers whatever bytes the names
// hold, and a JSON name that is not UTF-8 gives its exact bytes back.
TEST_F(CliTest, JsonAndSvgStayValidForHostileNames) {
    if (std::system("command -v python3 >/dev/null 2>&1 && command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3 and xmllint are the strict parsers";
    const std::string names[] = {"\xed\xa0\x80", "\xe0\x80\xaf", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xc0\xaf",
                                 "\xff\xfe",     "\xef\xbf\xbe", "\xef\xbf\xbf",     "q\"<&>]]>\\u0000", "\x01\x1f\x7f"};
    // Each JSON file and the hex of the name it must give back, one pair a line.
    std::string manifest;
    std::string svgs;
    auto hexOf = [](const std::string& bytes) {
        std::string out;
        for (const char c : bytes) out += torvane::Format("%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        return out;
    };
    for (size_t i = 0; i < std::size(names); ++i) {
        const std::string bin = names[i] + ".bin";
        const std::string hex = names[i] + ".hex";
        Write(bin, std::string(16, 'a'));
        Write(hex, torvane::test::HexBlock(0, 16));
        const std::string n = std::to_string(i);
        const std::string files = "'" + bin + "' --offset 100 '" + hex + "'";
        ASSERT_EQ(0, Run("map " + files + " --format json", dir.File("m" + n + ".json")).status) << i;
        ASSERT_EQ(0, Run("map " + files + " --format svg", dir.File("m" + n + ".svg")).status) << i;
        ASSERT_EQ(0, Run("info '" + hex + "' --format json", dir.File("i" + n + ".json")).status) << i;
        ASSERT_EQ(0, Run("merge -o out.bin " + files + " --map w" + n + ".svg --format svg").status) << i;
        manifest += dir.File("m" + n + ".json") + " " + hexOf(bin) + "\n" + dir.File("i" + n + ".json") + " " +
                    hexOf(hex) + "\n";
        svgs += " '" + dir.File("m" + n + ".svg") + "' '" + dir.File("w" + n + ".svg") + "'";
        std::filesystem::remove(dir.File(bin));
        std::filesystem::remove(dir.File(hex));
    }
    Write("manifest", manifest);
    const std::string check =
        "import json,sys\n"
        "for line in open(sys.argv[1]):\n"
        "    f, want = line.split()\n"
        "    d = json.load(open(f, encoding='utf-8'))\n"
        "    r = d['ranges'][0] if 'ranges' in d else d\n"
        "    got = bytes.fromhex(r['path_bytes']) if 'path_bytes' in r else r['path'].encode('utf-8')\n"
        "    if not got.endswith(bytes.fromhex(want)): sys.exit(f + ': ' + repr(got))\n";
    Write("check.py", check);
    EXPECT_EQ(0, std::system(("python3 '" + dir.File("check.py") + "' '" + dir.File("manifest") + "'").c_str()));
    EXPECT_EQ(0, std::system(("xmllint --noout" + svgs).c_str()));
}
#endif

#ifndef _WIN32
// Under a GB18030 locale the names are GB18030 bytes: they reach the project,
// the log and the console in that code page, and JSON as UTF-8.
TEST_F(CliTest, AGb18030LocaleReadsAndWritesItsOwnNames) {
    const std::string locales = torvane::ProgramFolder() + "/locales";
    const std::string made = locales + "/zh_CN.GB18030/LC_CTYPE";
    if (!torvane::test::Exists(made)) {
        std::filesystem::create_directories(locales);
        (void)std::system(("localedef -i zh_CN -f GB18030 '" + locales + "/zh_CN.GB18030' >/dev/null 2>&1").c_str());
    }
    if (!torvane::test::Exists(made)) GTEST_SKIP() << "localedef could not make zh_CN.GB18030";
    environment = "LOCPATH='" + locales + "' LC_ALL=zh_CN.GB18030 ";

    const std::string gb = "\xb9\xcc\xbc\xfe.bin";  // 固件.bin
    Write(gb, std::string(16, 'g'));
    Write("b.bin", std::string(16, 'b'));
    Result r = Run("export --config p.ini --layout merge '" + gb + "' --offset 100 b.bin");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, ReadText(dir.File("p.ini")).find("FileName=" + Abs(gb) + "\r\n"));

    r = Run("run merge --config p.ini -o out.bin --log run.log");
    EXPECT_EQ(0, r.status) << r.err;
    const std::string log = ReadText(dir.File("run.log"));
    EXPECT_NE(std::string::npos, log.find(gb)) << log;
    EXPECT_EQ(std::string::npos, log.find("固件")) << log;
    EXPECT_EQ(std::string(16, 'g') + std::string(0xF0, '\0') + std::string(16, 'b'), ReadText(dir.File("out.bin")));
    // The console in the locale's code page: "文件" is CE C4 BC FE there.
    EXPECT_NE(std::string::npos, r.out.find("\xce\xc4\xbc\xfe")) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("文件")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find(gb)) << r.out;

    r = Run("map '" + gb + "' --offset 100 b.bin --format json");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\"path\": \"" + Abs("固件.bin") + "\"}")) << r.out;
}
#endif

// The formats: the merge's output by its name, S-record rows, convert.
TEST_F(CliTest, MergeWritesIntelHexAtTheFlashBaseAndSRecordsAtTheBaseGiven) {
    Write("boot.hex", torvane::test::HexBlock(0x08000000, 16));
    // S1 record of 2 bytes at 0x0020 (placed at image offset 0x20), a count and the start.
    Write("app.s19", "S1050020AABB75\r\nS5030001FB\r\nS9030000FC\r\n");
    Result r = Run("merge -o out.hex --align 1 boot.hex --offset 20 --align 1 app.s19");
    ASSERT_EQ(0, r.status) << r.err;
    const std::string hex = ReadText(dir.File("out.hex"));
    // Not every row lies at 0x08000000 or above: the base is 0.
    EXPECT_EQ(0u, hex.find(":10000000")) << hex;
    EXPECT_NE(std::string::npos, hex.find(":02002000AABB")) << hex;
    r = Run("merge -o out.s37 --base 08000000 --align 1 boot.hex --offset 20 --align 1 app.s19");
    ASSERT_EQ(0, r.status) << r.err;
    const std::string srec = ReadText(dir.File("out.s37"));
    EXPECT_NE(std::string::npos, srec.find("\r\nS30708000020AABB")) << srec;
    EXPECT_EQ(0u, srec.find("S00A00006F75742E733337")) << srec;  // S0 with "out.s37"
    EXPECT_EQ(2, Run("merge -o out.hex --base 1G boot.hex app.s19").status);
}

TEST_F(CliTest, ConvertKeepsSparseDataSparseAndRefusesAHugeBin) {
    // HexBlock ends each block with an end record: the first one ends the file.
    Write("far.hex", torvane::test::HexBlock(0x08000000, 32).substr(0, torvane::test::HexBlock(0x08000000, 32).size() - 13) +
                         torvane::test::HexBlock(0x1FFF0000, 16));
    Result r = Run("convert far.hex -o far.s37");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_LT(ReadBytes(dir.File("far.s37")).size(), 1000u);
    r = Run("convert far.hex -o far.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "would need 402587664 bytes")) << r.err;
    r = Run("convert far.hex -o far.bin --crop 08000000-0800001F");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(32u, ReadBytes(dir.File("far.bin")).size());
    r = Run("convert far.bin --base 100 -o back.hex");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, ReadText(dir.File("back.hex")).find(":10010000"));
    EXPECT_EQ(2, Run("convert far.hex -o x.hex --record-size 256").status);
}

// ELF to BIN goes from the loads' bytes where they lie in the file; the BIN
// and the summary are those of the image all the same.
TEST_F(CliTest, ConvertWritesAnElfsLoadsAsTheBinOfItsImage) {
    using Loads = std::vector<std::pair<uint32_t, std::vector<uint8_t>>>;
    auto write = [this](const std::string& name, const Loads& loads) {
        dir.Write(name, torvane::test::ElfOfLoads(loads, 0x08000000));
    };
    // Out of order; the last touches the second, which then make one segment.
    write("app.elf", Loads{{0x08000010, {7}}, {0x08000004, {1, 2, 3, 4}}, {0x08000000, {9, 9, 9, 9}}});
    Result r = Run("convert app.elf -o app.bin --fill AA");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(std::vector<uint8_t>({9, 9, 9, 9, 1, 2, 3, 4, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 7}),
              ReadBytes(dir.File("app.bin")));
    EXPECT_TRUE(Has(r.out, "app.bin (binary, 9 data bytes in 2 segments)\n")) << r.out;
    ASSERT_EQ(0, Run("convert app.elf -o crop.bin --crop 08000002-08000011").status);
    EXPECT_EQ(std::vector<uint8_t>({9, 9, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0}), ReadBytes(dir.File("crop.bin")));
    // Loads that overlap with the same bytes make one image; with others, the file is refused.
    write("same.elf", Loads{{0x100, {1, 2, 3}}, {0x101, {2, 3, 4}}});
    r = Run("convert same.elf -o same.bin");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(std::vector<uint8_t>({1, 2, 3, 4}), ReadBytes(dir.File("same.bin")));
    EXPECT_TRUE(Has(r.out, "(binary, 4 data bytes in 1 segments)\n")) << r.out;
    write("other.elf", Loads{{0x100, {1, 2, 3}}, {0x101, {2, 5, 4}}});
    r = Run("convert other.elf -o other.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "other.elf: program header 1: 0x00000102 is given two values, 0x03 by program header 0 "
                           "and 0x05 by program header 1\n"))
        << r.err;
    EXPECT_FALSE(torvane::test::Exists(dir.File("other.bin")));
    write("far.elf", Loads{{0, {1}}, {0x08000000, {2}}});
    r = Run("convert far.elf -o far.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "far.bin: a BIN of 0x00000000-0x08000000 would need 134217729 bytes, more than 64 MiB"))
        << r.err;
}

// "-o new.hex/" once wrote BIN bytes into new.hex, and "stamp x.hex -o x.hex/
// --in-place" rewrote a HEX file as BIN, both with exit 0.
TEST_F(CliTest, AFileToWriteWhoseNameEndsInASeparatorIsRefusedBeforeAnyWork) {
    const std::string hex = torvane::test::HexBlock(0, 16);
    Write("app.hex", hex);
    Result r = Run("convert app.hex -o new.hex/");
    EXPECT_EQ(2, r.status);
    EXPECT_TRUE(Has(r.err, "torvane-cli: -o new.hex/: the name ends in a separator, so it names a folder, not a file\n"))
        << r.err;
    EXPECT_FALSE(torvane::test::Exists(dir.File("new.hex")));
    r = Run("stamp app.hex -o app.hex/ --in-place --field crc32@10:0-F");
    EXPECT_EQ(2, r.status);
    EXPECT_TRUE(Has(r.err, "names a folder")) << r.err;
    EXPECT_EQ(hex, ReadText(dir.File("app.hex")));
    for (const char* args : {"merge -o out.bin/ app.hex", "run merge --config p.ini -o out.bin/",
                             "hex2bin --log run.log/ app.hex", "merge --map map.txt/ app.hex",
                             "export --config p.ini/ app.hex", "testbin -o t.bin/", "bin2c app.hex -o app.h/"}) {
        r = Run(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_TRUE(Has(r.err, "names a folder")) << args << "\n" << r.err;
    }
    for (const char* name : {"out.bin", "run.log", "map.txt", "p.ini", "t.bin", "app.h", "app.BIN", "Merge.Bin"})
        EXPECT_FALSE(torvane::test::Exists(dir.File(name))) << name;
}

#ifndef _WIN32
TEST_F(CliTest, AlignDoesNotPadThroughAnotherUsersLinkInASharedFolder) {
    if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user needs root to make";
    const std::string victim = Write("victim.bin", std::string(1001, 'v'));
    ASSERT_EQ(0, ::mkdir(dir.File("tmp").c_str(), 0755));
    ASSERT_EQ(0, ::chmod(dir.File("tmp").c_str(), 01777));
    ASSERT_EQ(0, ::symlink(victim.c_str(), dir.File("tmp/link.bin").c_str()));
    ASSERT_EQ(0, ::lchown(dir.File("tmp/link.bin").c_str(), 65534, 65534));
    const Result r = Run("align --align 8 tmp/link.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_TRUE(Has(r.err, "a link another user made in a folder every user may write")) << r.err;
    EXPECT_EQ(1001u, ReadBytes(victim).size());
}

TEST_F(CliTest, NoSyncSkipsTheSyncOfEveryFileWritten) {
    Write("app.hex", torvane::test::HexBlock(0, 16));
    Write("app.bin", std::string(16, 'b'));
    Write("b.bin", std::string(16, 'c'));
    ASSERT_EQ(0, Run("export --config p.ini --layout merge app.bin --offset 10 b.bin").status);
    // Every sync of the program fails: a write that syncs fails with it.
    std::optional<Result> r = RunWithFailingSync("convert app.hex -o out.bin");
    if (!r) GTEST_SKIP() << "syncs cannot be made to fail here";
    EXPECT_EQ(1, r->status);
    EXPECT_TRUE(Has(r->err, "out.bin: Input/output error")) << r->err;
    EXPECT_FALSE(torvane::test::Exists(dir.File("out.bin")));
    // --no-sync after the command word of each command that writes, or before any.
    for (const char* args : {"convert app.hex -o out.bin --no-sync", "--no-sync convert app.hex -o out2.bin",
                             "stamp --no-sync app.bin -o stamped.bin --field crc32@10:0-F",
                             "hex2bin --no-sync --log h.log app.hex", "align --no-sync --log a.log app.bin",
                             "merge --no-sync -o merged.bin app.bin --offset 10 b.bin",
                             "run merge --config p.ini -o run.bin --no-sync",
                             "export --no-sync --config q.ini app.bin", "testbin --no-sync -o t.bin",
                             "bin2c app.bin --no-sync -o app.h"}) {
        r = RunWithFailingSync(args);
        ASSERT_TRUE(r);
        EXPECT_EQ(0, r->status) << args << "\n" << r->err;
    }
    for (const char* name : {"out.bin", "out2.bin", "stamped.bin", "app.BIN", "h.log", "a.log", "merged.bin", "run.bin",
                             "q.ini", "t.bin", "app.h"})
        EXPECT_TRUE(torvane::test::Exists(dir.File(name))) << name;
    EXPECT_EQ(std::string(16, 'b') + std::string(16, 'c'), ReadText(dir.File("merged.bin")));
    EXPECT_EQ(ReadText(dir.File("merged.bin")), ReadText(dir.File("run.bin")));
    // The environment's switch; any other value than 1 syncs.
    environment = "TORVANE_NO_SYNC=1 ";
    EXPECT_EQ(0, RunWithFailingSync("convert app.hex -o env.bin")->status);
    environment = "TORVANE_NO_SYNC=0 ";
    EXPECT_EQ(1, RunWithFailingSync("convert app.hex -o env0.bin")->status);
    EXPECT_FALSE(torvane::test::Exists(dir.File("env0.bin")));
}
#endif

TEST_F(CliTest, NoSyncIsAnOptionOfTheCommandsThatWriteOnly) {
    Write("app.bin", std::string(16, 'b'));
    for (const char* args : {"info --no-sync app.bin", "map --no-sync app.bin", "checksum md5 app.bin --no-sync",
                             "nic-info --no-sync x.cfg"})
        EXPECT_EQ(2, Run(args).status) << args;
    // Before the command word it is everyone's.
    EXPECT_EQ(0, Run("--no-sync info app.bin").status);
    EXPECT_EQ(0, Run("--no-sync --no-sync checksum md5 app.bin").status);
    EXPECT_EQ(2, Run("--no-sync").status);
    const Result help = Run("--help");
    EXPECT_TRUE(Has(help.out, "  --no-sync ")) << help.out;
    EXPECT_TRUE(Has(help.out, "TORVANE_NO_SYNC=1")) << help.out;
    EXPECT_TRUE(Has(Run("convert --help").out, "[--no-sync]"));
}

TEST_F(CliTest, Hex2BinConvertsAnSRecordFileToItsBin) {
    Write("app.srec", "S1050020AABB75\nS9030000FC\n");
    const Result r = Run("hex2bin --align 1 --keep-before-offset app.srec");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0x22u, ReadBytes(dir.File("app.BIN")).size());
}
