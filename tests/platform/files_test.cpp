#include "platform/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_problems.h"
#include "platform/interrupt_cleanup.h"
#include "platform/program_path.h"
#include "platform/sized_files.h"
#include "support/failing_sync.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::TempDir;

TEST(FilesTest, LengthAndReadOfARegularFile) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string("\x01\x02\x00\x03", 4));
    EXPECT_EQ(4u, FileLength(p).value());
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 0, 3}), ReadWholeFile(p, 4).value());
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 0, 3, 0, 0}), ReadFilePrefix(p, 6).value());
    EXPECT_EQ((std::vector<uint8_t>{1, 2}), ReadFilePrefix(p, 2).value());
}

TEST(FilesTest, ReadWholeFileTellsTooLargeFromUnreadable) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string("abcd"));
    ReadFailure why = ReadFailure::Unreadable;
    EXPECT_TRUE(ReadWholeFile(p, 4, &why));
    EXPECT_FALSE(ReadWholeFile(p, 3, &why));
    EXPECT_EQ(ReadFailure::TooLarge, why);
    EXPECT_FALSE(ReadWholeFile(dir.File("none"), 100, &why));
    EXPECT_EQ(ReadFailure::Unreadable, why);
}

TEST(FilesTest, AHugeFileIsRefusedByItsLengthBeforeABufferIsAskedFor) {
    TempDir dir;
    // Holes, not bytes: 64 GiB where the file system lets a file be that long,
    // else 4 GiB (some file systems, and Wine on some of them, stop between).
    const std::string huge = dir.File("huge.bin");
    uint64_t length = 0;
    for (const uint64_t tried : {uint64_t{64} << 30, uint64_t{4} << 30}) {
        if (test::SetFileLength(huge, tried)) {
            length = tried;
            break;
        }
    }
    if (length == 0) GTEST_SKIP() << "no sparse file of 4 GiB can be made here";
    ReadFailure why = ReadFailure::Unreadable;
    EXPECT_FALSE(ReadWholeFile(huge, uint64_t{1} << 20, &why)) << length;
    EXPECT_EQ(ReadFailure::TooLarge, why) << length;
}

TEST(FilesTest, FoldersAndMissingFilesAreNotFiles) {
    TempDir dir;
    EXPECT_FALSE(FileLength(dir.path()));
    EXPECT_FALSE(ReadWholeFile(dir.path(), 1 << 20));
#ifdef _WIN32
    EXPECT_FALSE(ReadWholeFile("NUL", 1 << 20));  // a device
    EXPECT_FALSE(FileLength("NUL"));
#else
    ASSERT_EQ(0, ::mkfifo(dir.File("pipe").c_str(), 0644));
    EXPECT_FALSE(ReadWholeFile(dir.File("pipe"), 1 << 20));  // and does not wait for a writer
#endif
    EXPECT_FALSE(CanOpenRead(dir.path()));
    EXPECT_FALSE(CanOpenReadWrite(dir.path()));
    EXPECT_FALSE(FileExists(dir.File("none")));
    EXPECT_FALSE(ReadFilePrefix(dir.File("none"), 4));
    EXPECT_TRUE(FileExists(dir.path()));
}

TEST(FilesTest, ReadOnlyIsCheckedByTheModeEvenForRoot) {
    TempDir dir;
    const std::string p = dir.Write("ro.bin", std::string("x"));
    ASSERT_TRUE(test::MakeReadOnly(p));
    EXPECT_TRUE(IsReadOnlyFile(p));
    EXPECT_FALSE(CanOpenReadWrite(p));
    EXPECT_TRUE(CanOpenRead(p));
    EXPECT_EQ(PadStatus::OpenFailed, PadFileEnd(p, 4, 0xFF).status);
    EXPECT_EQ(1u, FileLength(p).value());
}

TEST(FilesTest, WriteWholeFileReportsEveryFailure) {
    TempDir dir;
    const std::string p = dir.File("out.bin");
    EXPECT_TRUE(WriteWholeFile(p, "abc", 3));
    EXPECT_EQ("abc", test::ReadText(p));
    EXPECT_TRUE(WriteWholeFile(p, "", 0));
    EXPECT_EQ(0u, FileLength(p).value());
    EXPECT_FALSE(WriteWholeFile(dir.File("missing/out.bin"), "abc", 3));
    EXPECT_FALSE(WriteWholeFile("", "abc", 3));
    EXPECT_FALSE(WriteWholeFile(test::kFullDevice, "abc", 3));
}

// Folder permission bits, file modes, symbolic links, fork, signals and file
// size limits are POSIX; the Windows counterparts follow the POSIX tests.
#ifndef _WIN32
TEST(FilesTest, FailedReplaceLeavesTheOldFile) {
    TempDir dir;
    const std::string p = dir.Write("keep.bin", std::string("old"));
    ASSERT_EQ(0, ::chmod(dir.path().c_str(), 0555));  // a folder without write permission
    EXPECT_FALSE(WriteWholeFile(p, "new content", 11));
    ASSERT_EQ(0, ::chmod(dir.path().c_str(), 0755));
    EXPECT_EQ("old", test::ReadText(p));

    ASSERT_EQ(0, ::chmod(p.c_str(), 0444));  // a read-only target
    EXPECT_FALSE(WriteWholeFile(p, "new", 3));
    EXPECT_EQ("old", test::ReadText(p));
}

TEST(FilesTest, ReplaceKeepsTheModeAndFollowsLinks) {
    TempDir dir;
    const std::string p = dir.Write("script.bin", std::string("old"));
    ASSERT_EQ(0, ::chmod(p.c_str(), 0640));
    const std::string link = dir.File("link.bin");
    ASSERT_EQ(0, ::symlink(p.c_str(), link.c_str()));
    ASSERT_TRUE(WriteWholeFile(link, "new", 3));
    EXPECT_EQ("new", test::ReadText(p));
    struct stat st;
    ASSERT_EQ(0, ::lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(0, ::stat(p.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
}
#else
TEST(FilesTest, FailedReplaceLeavesTheOldFile) {
    TempDir dir;
    const std::string p = dir.Write("keep.bin", std::string("old"));
    {
        const test::ExclusiveHold hold(p);  // another program has it open
        ASSERT_TRUE(hold.held());
        EXPECT_FALSE(WriteWholeFile(p, "new content", 11));
    }
    EXPECT_EQ("old", test::ReadText(p));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(test::FsPath(dir.path())), {}));

    ASSERT_TRUE(test::MakeReadOnly(p));
    EXPECT_FALSE(WriteWholeFile(p, "new", 3));
    EXPECT_EQ("old", test::ReadText(p));
}

TEST(FilesTest, ReplaceKeepsTheHiddenAttribute) {
    TempDir dir;
    const std::string p = dir.Write("hidden.bin", std::string("old"));
    const std::wstring wide = test::FsPath(p).wstring();
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(WriteWholeFile(p, "new", 3));
    EXPECT_EQ("new", test::ReadText(p));
    EXPECT_NE(0u, ::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST(FilesTest, NamesInAnyScriptAreReadAndWritten) {
    TempDir dir;
    // Chinese, Cyrillic and an emoji: most of them outside any one ANSI code page.
    const std::string p = dir.File("固件-прошивка-\U0001F680.bin");
    ASSERT_TRUE(WriteWholeFile(p, "abc", 3));
    EXPECT_TRUE(FileExists(p));
    EXPECT_EQ(3u, FileLength(p).value());
    EXPECT_EQ((std::vector<uint8_t>{'a', 'b', 'c'}), ReadWholeFile(p, 3).value());
    EXPECT_TRUE(CanOpenReadWrite(p));
    EXPECT_EQ(PadStatus::Padded, PadFileEnd(p, 4, 0xFF).status);
    EXPECT_EQ(test::Utf8Path(std::filesystem::directory_iterator(test::FsPath(dir.path()))->path().filename()),
              "固件-прошивка-\U0001F680.bin");
}
#endif

TEST(FilesTest, NoTemporaryFileIsLeftBehind) {
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("a.bin"), "abc", 3));
    size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += e.path().filename() != "" ? 1 : 0;
    EXPECT_EQ(1u, entries);
}

TEST(FilesTest, APieceByPieceWriteHoldsEveryPieceInOrder) {
    TempDir dir;
    const std::string p = dir.Write("out.hex", std::string("old"));
    std::string expected;
    ASSERT_TRUE(WriteFileInPieces(p, [&expected](const ByteSink& sink) {
        // Records one at a time, well past the gathering buffer's MiB, then a
        // piece larger than the buffer and an empty one.
        for (int i = 0; i < 200000; ++i) {
            const std::string record = ":" + std::to_string(i) + "\n";
            expected += record;
            if (!sink(record.data(), record.size())) return false;
        }
        const std::string big((size_t{3} << 20) + 7, 'b');
        expected += big + "end";
        return sink(big.data(), big.size()) && sink("", 0) && sink("end", 3);
    }));
    EXPECT_EQ(expected, test::ReadText(p));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(test::FsPath(dir.path())), {}));
}

TEST(FilesTest, AnAbandonedPieceByPieceWriteLeavesTheOldFile) {
    TempDir dir;
    const std::string p = dir.Write("out.bin", std::string("old"));
    errno = 0;
    EXPECT_FALSE(WriteFileInPieces(p, [](const ByteSink& sink) { return sink("new", 3) && false; }));
    EXPECT_EQ(ECANCELED, errno);
    EXPECT_FALSE(WriteFileInPieces(dir.File("new.bin"), [](const ByteSink&) { return false; }));
    // A producer that throws: the exception goes on to the caller, the
    // temporary file does not stay.
    EXPECT_THROW(WriteFileInPieces(p,
                                   [](const ByteSink& sink) -> bool {
                                       sink("new", 3);
                                       throw std::runtime_error("the producer failed");
                                   }),
                 std::runtime_error);
    EXPECT_EQ("old", test::ReadText(p));
    EXPECT_FALSE(test::Exists(dir.File("new.bin")));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(test::FsPath(dir.path())), {}));
}

TEST(FilesTest, ANameEndingInASeparatorIsRefused) {
    TempDir dir;
    const std::string hex = dir.Write("app.hex", std::string(":00000001FF\n"));
    std::vector<std::string> names = {hex + "/", dir.File("new.hex") + "/", dir.path() + "/"};
#ifdef _WIN32
    names.push_back(hex + "\\");
#endif
    for (const std::string& name : names) {
        EXPECT_TRUE(EndsInSeparator(name)) << name;
        errno = 0;
        EXPECT_FALSE(WriteWholeFile(name, "bin", 3)) << name;
        EXPECT_EQ(EISDIR, errno) << name;
        EXPECT_EQ(kNamesAFolderReason, FileProblem(name, FileUse::Write)) << name;
    }
    EXPECT_FALSE(EndsInSeparator(hex));
    EXPECT_FALSE(EndsInSeparator(""));
    EXPECT_EQ(":00000001FF\n", test::ReadText(hex));
    EXPECT_FALSE(test::Exists(dir.File("new.hex")));
}

#ifndef NAME_MAX
#define NAME_MAX 255  // NTFS: 255 UTF-16 units
#endif

TEST(FilesTest, NamesUpToTheLongestLegalOneAreReplaced) {
    TempDir dir;
    // 247 is the longest name whose ".<name>.XXXXXX" temporary fits NAME_MAX (255).
    for (const size_t length : {size_t{247}, size_t{248}, size_t{NAME_MAX}}) {
        const std::string p = dir.File(std::string(length, 'n'));
        ASSERT_TRUE(WriteWholeFile(p, "first", 5)) << length;
        ASSERT_TRUE(WriteWholeFile(p, "second", 6)) << length;
        EXPECT_EQ("second", test::ReadText(p));
        std::filesystem::remove(test::FsPath(p));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

#ifndef _WIN32
// Runs `child` in a forked process and returns its wait status.
int RunInChild(const std::function<int()>& child) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(child());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(InterruptCleanupTest, EachSignalRemovesTheRegisteredFilesAndEndsTheProgram) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGVTALRM,
                             SIGPROF, SIGXCPU, SIGABRT, SIGILL, SIGTRAP}) {
        TempDir dir;
        const std::string temp = dir.Write(".t.bin.ABCDEF", std::string("partial"));
        const std::string done = dir.Write(".t.bin.GHIJKL", std::string("renamed"));
        const int status = RunInChild([&] {
            const struct rlimit noCore = {0, 0};  // the signals that dump core leave none here
            ::setrlimit(RLIMIT_CORE, &noCore);
            InstallInterruptCleanup();
            RegisterTempFile(temp.c_str());
            ReleaseTempFile(RegisterTempFile(done.c_str()));
            ::raise(signal);
            return 0;
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(signal, WTERMSIG(status));
        EXPECT_FALSE(test::Exists(temp)) << signal;
        EXPECT_TRUE(test::Exists(done)) << signal;
    }
}

TEST(InterruptCleanupTest, ASignalIgnoredFromTheStartStaysIgnored) {
    TempDir dir;
    const std::string temp = dir.Write(".t.bin.ABCDEF", std::string("partial"));
    const int status = RunInChild([&] {
        std::signal(SIGHUP, SIG_IGN);  // as nohup starts a program
        InstallInterruptCleanup();
        RegisterTempFile(temp.c_str());
        ::raise(SIGHUP);
        return 7;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(7, WEXITSTATUS(status));
    EXPECT_TRUE(test::Exists(temp));
}

// A write past the file size limit: the kernel sends SIGXFSZ in the middle of
// the replacement, while the temporary file is half written.
constexpr rlim_t kSizeLimit = 4096;
const std::string kBig(1 << 16, 'n');

int WriteOverTheSizeLimit(const std::string& target, bool ignoreSignal) {
    InstallInterruptCleanup();
    if (ignoreSignal) std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {kSizeLimit, kSizeLimit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
    if (WriteWholeFile(target, kBig.data(), kBig.size())) return 11;
    return 0;
}

TEST(InterruptCleanupTest, AWriteEndedBySIGXFSZLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string target = dir.Write("out.bin", std::string("old"));
    const int status = RunInChild([&] { return WriteOverTheSizeLimit(target, false); });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(SIGXFSZ, WTERMSIG(status));
    EXPECT_EQ("old", test::ReadText(target));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(InterruptCleanupTest, WithSIGXFSZIgnoredAsTheMainsDoAnOversizeWriteIsAFailure) {
    TempDir dir;
    const std::string target = dir.Write("out.bin", std::string("old"));
    // Already past the limit (written before it was set): no padding byte fits.
    const std::string padded = dir.Write("pad.bin", std::string(kSizeLimit + 1, 'p'));
    const int status = RunInChild([&] {
        if (const int failed = WriteOverTheSizeLimit(target, true)) return failed;
        return PadFileEnd(padded, 8, 0xFF).status == PadStatus::WriteFailed ? 0 : 12;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ("old", test::ReadText(target));
    EXPECT_EQ(kSizeLimit + 1, FileLength(padded).value());
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(FilesTest, ShortPaddingIsTakenBack) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string(1001, 'a'));
    // A file size limit one byte above the file lets only the first padding byte in.
    struct rlimit old;
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &old));
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 1002;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &tight));
    const PadStatus status = PadFileEnd(p, 4, 0xFF).status;
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(PadStatus::WriteFailed, status);
    EXPECT_EQ(1001u, FileLength(p).value());
}
bool IsLink(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

TEST(FilesTest, APieceByPieceWriteThatFailsMidWayLeavesTheOldFile) {
    TempDir dir;
    const std::string target = dir.Write("out.bin", std::string("old"));
    const int status = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {kSizeLimit, kSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        bool refused = false;
        bool tookMore = true;
        const bool written = WriteFileInPieces(target, [&](const ByteSink& sink) {
            for (int i = 0; i < 64 && !refused; ++i) refused = !sink(kBig.data(), kBig.size());
            // A producer that carries on regardless gets nothing more in.
            tookMore = sink("x", 1);
            return true;
        });
        if (written) return 11;
        if (!refused || tookMore) return 12;
        return 0;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ("old", test::ReadText(target));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(FilesTest, WithDurableWritesOffNothingIsSynced) {
    EXPECT_TRUE(DurableWrites());
    TempDir dir;
    const std::string target = dir.Write("out.bin", std::string("old"));
    constexpr int kNoFailingSync = 20;
    const int status = RunInChild([&] {
        if (!test::MakeSyncsFail()) return kNoFailingSync;
        // A sync made fails the write, which leaves the old file.
        if (WriteWholeFile(target, "new", 3) || errno != EIO) return 11;
        if (test::ReadText(target) != "old") return 12;
        SetDurableWrites(false);
        if (!WriteWholeFile(target, "new", 3)) return 13;
        return WriteWholeFile(dir.File("made.bin"), "made", 4) ? 0 : 14;
    });
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kNoFailingSync) GTEST_SKIP() << "syncs cannot be made to fail here";
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ("new", test::ReadText(target));
    EXPECT_EQ("made", test::ReadText(dir.File("made.bin")));
}

// Without the sync the new file is exchanged with the old one, which is
// then removed: still one file under the name, and a hard link's other name
// keeps the old content.
TEST(FilesTest, WithDurableWritesOffAReplacementIsStillANewFile) {
    TempDir dir;
    const std::string p = dir.Write("fw.bin", std::string("old"));
    ASSERT_EQ(0, ::link(p.c_str(), dir.File("hard.bin").c_str()));
    SetDurableWrites(false);
    const bool written = WriteWholeFile(p, "new", 3);
    SetDurableWrites(true);
    EXPECT_TRUE(written);
    EXPECT_EQ("new", test::ReadText(p));
    EXPECT_EQ("old", test::ReadText(dir.File("hard.bin")));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(FilesTest, ADeviceOrAPipeIsWrittenInPlace) {
    EXPECT_TRUE(WriteWholeFile("/dev/null", "abc", 3));
    TempDir dir;
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0644));
    ASSERT_EQ(0, ::symlink(pipe.c_str(), dir.File("link").c_str()));
    // The reader in a process of its own: the write waits for one to open.
    const pid_t reader = ::fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) ::_exit(test::ReadText(pipe) == "abc" ? 0 : 1);
    const bool written =
        WriteFileInPieces(dir.File("link"), [](const ByteSink& sink) { return sink("ab", 2) && sink("c", 1); });
    int status = 0;
    ASSERT_EQ(reader, ::waitpid(reader, &status, 0));
    EXPECT_TRUE(written);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat st;
    ASSERT_EQ(0, ::lstat(pipe.c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// /dev/stdout of a program whose output is piped: a link to a link of
// /proc/self/fd whose text ("pipe:[1234]") is no path.
TEST(FilesTest, APipeReachedThroughTheProcesssOwnLinkIsWrittenInPlace) {
    int fds[2];
    ASSERT_EQ(0, ::pipe(fds));
    const bool written = WriteWholeFile("/proc/self/fd/" + std::to_string(fds[1]), "abc", 3);
    ::close(fds[1]);
    char got[8] = {};
    const ssize_t n = ::read(fds[0], got, sizeof got);
    ::close(fds[0]);
    EXPECT_TRUE(written);
    EXPECT_EQ("abc", std::string(got, n > 0 ? static_cast<size_t>(n) : 0));
}

// A link of one's own to a name nothing holds yet is followed like any other:
// the file is made where it points, and the link stays.
TEST(FilesTest, AnOwnLinkToAFileNotYetThereMakesThatFile) {
    TempDir dir;
    ASSERT_EQ(0, ::symlink(dir.File("made.bin").c_str(), dir.File("link.bin").c_str()));
    ASSERT_TRUE(WriteWholeFile(dir.File("link.bin"), "new", 3));
    EXPECT_EQ("new", test::ReadText(dir.File("made.bin")));
    EXPECT_TRUE(IsLink(dir.File("link.bin")));
}

TEST(FilesTest, RelativePathsAndParentFoldersAreWalked) {
    TempDir dir;
    ASSERT_EQ(0, ::mkdir(dir.File("sub").c_str(), 0755));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.File("sub"));
    const bool written = WriteWholeFile("../sub/./../rel.bin", "rel", 3);
    errno = 0;
    const bool intoFile = WriteWholeFile("../rel.bin/x.bin", "x", 1);
    const int intoFileError = errno;
    std::filesystem::current_path(before);
    EXPECT_TRUE(written);
    EXPECT_EQ("rel", test::ReadText(dir.File("rel.bin")));
    EXPECT_FALSE(intoFile);
    EXPECT_EQ(ENOTDIR, intoFileError);
    EXPECT_FALSE(WriteWholeFile(dir.File("sub/.."), "x", 1));
}

TEST(InterruptCleanupTest, AFileInAHeldFolderIsRemovedWhereverTheFolderWent) {
    TempDir dir;
    ASSERT_EQ(0, ::mkdir(dir.File("a").c_str(), 0755));
    dir.Write("a/.t.bin.ABCDEF", std::string("partial"));
    const int status = RunInChild([&] {
        InstallInterruptCleanup();
        const int folder = ::open(dir.File("a").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0 || RegisterTempFileAt(folder, ".t.bin.ABCDEF") < 0) return 1;
        if (::rename(dir.File("a").c_str(), dir.File("b").c_str()) != 0) return 2;
        ::raise(SIGTERM);
        return 3;
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(SIGTERM, WTERMSIG(status));
    EXPECT_TRUE(test::Exists(dir.File("b")));
    EXPECT_FALSE(test::Exists(dir.File("b/.t.bin.ABCDEF")));
}
#else
// The child of the test below: in a console of its own, it registers its
// temporary files and sends itself Ctrl+C. Run only by that test.
TEST(InterruptCleanupTest, DISABLED_ChildThatPressesCtrlC) {
    const char* folder = std::getenv("TORVANE_TEST_CHILD_FOLDER");
    if (folder == nullptr) return;
    ::AllocConsole();
    ::SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl+C on, whatever the parent had
    InstallInterruptCleanup();
    RegisterTempFile((std::string(folder) + "\\.t.bin.ABCDEF").c_str());
    ReleaseTempFile(RegisterTempFile((std::string(folder) + "\\.t.bin.GHIJKL").c_str()));
    // One still open and half written, as a replacement leaves it.
    std::string pattern = std::string(folder) + "\\.w.bin.XXXXXX";
    int registration = -1;
    const int fd = CreateTempFile(pattern, registration);
    if (fd < 0 || ::_write(fd, "partial", 7) != 7) ::_exit(20);
    ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    ::Sleep(20000);  // the event ends the program long before
    ::_exit(21);
}

TEST(InterruptCleanupTest, CtrlCRemovesTheRegisteredFilesAndEndsTheProgram) {
    TempDir dir;
    const std::string temp = dir.Write(".t.bin.ABCDEF", std::string("partial"));
    const std::string done = dir.Write(".t.bin.GHIJKL", std::string("renamed"));
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TORVANE_TEST_CHILD_FOLDER", test::FsPath(dir.path()).c_str()));
    std::wstring line = L"\"" + test::FsPath(ProgramPath()).wstring() +
                        L"\" --gtest_also_run_disabled_tests --gtest_filter=InterruptCleanupTest.DISABLED_ChildThatPressesCtrlC";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Detached: the child's console, and its Ctrl+C, are its own.
    const bool started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                                          nullptr, &startup, &process);
    ::SetEnvironmentVariableW(L"TORVANE_TEST_CHILD_FOLDER", nullptr);
    ASSERT_TRUE(started);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 15000));
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_NE(20u, code);
    EXPECT_NE(21u, code);  // it did not outlive the event
    EXPECT_FALSE(test::Exists(temp));
    EXPECT_TRUE(test::Exists(done));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(test::FsPath(dir.path())), {}));
}
#endif

#ifndef _WIN32
TEST(FilesTest, SameFileSeesThroughSpellingsAndLinks) {
    TempDir dir;
    const std::string a = dir.Write("a.bin", std::string("x"));
    ASSERT_EQ(0, ::symlink(a.c_str(), dir.File("link.bin").c_str()));
    ASSERT_EQ(0, ::link(a.c_str(), dir.File("hard.bin").c_str()));
    ASSERT_EQ(0, ::mkdir(dir.File("sub").c_str(), 0755));
    EXPECT_TRUE(SameFile(a, dir.path() + "/./sub/../a.bin"));
    EXPECT_TRUE(SameFile(a, dir.File("link.bin")));
    EXPECT_TRUE(SameFile(a, dir.File("hard.bin")));
    EXPECT_FALSE(SameFile(a, dir.Write("b.bin", std::string("x"))));
    // A file that does not exist yet: the same when the paths resolve alike.
    EXPECT_TRUE(SameFile(dir.File("new.bin"), dir.path() + "//./new.bin"));
    EXPECT_FALSE(SameFile(dir.File("new.bin"), a));
    EXPECT_FALSE(SameFile("", ""));
}

// Two spellings of a file not written yet, one relative to the current folder.
TEST(FilesTest, SameFileOfARelativeAndAnAbsoluteSpellingOfANewFile) {
    TempDir dir;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_TRUE(SameFile("new.bin", "./new.bin"));
    EXPECT_TRUE(SameFile("new.bin", dir.File("new.bin")));
    EXPECT_TRUE(SameFile("sub/../new.bin", ".//new.bin"));
    EXPECT_FALSE(SameFile("new.bin", "other.bin"));
    std::filesystem::current_path(before);
}

TEST(FilesTest, LinksOfOtherUsersInSharedStickyFoldersAreNotFollowed) {
    constexpr uint32_t kShared = S_IFDIR | 01777;
    EXPECT_TRUE(RefusesLinkInFolder(1001, 0, kShared, 0));      // planted by a user, followed by root
    EXPECT_FALSE(RefusesLinkInFolder(0, 0, kShared, 1001));     // the folder owner's link
    EXPECT_FALSE(RefusesLinkInFolder(1001, 0, kShared, 1001));  // one's own link
    EXPECT_FALSE(RefusesLinkInFolder(1001, 0, S_IFDIR | 0777, 0));   // not sticky
    EXPECT_FALSE(RefusesLinkInFolder(1001, 0, S_IFDIR | 01775, 0));  // not world-writable
}

TEST(FilesTest, AWriteThroughAnotherUsersLinkInASharedFolderIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user needs root to make";
    TempDir dir;
    const std::string victim = dir.Write("victim.txt", std::string("keep"));
    const std::string shared = dir.File("tmp");
    ASSERT_EQ(0, ::mkdir(shared.c_str(), 0755));
    ASSERT_EQ(0, ::chmod(shared.c_str(), 01777));
    const std::string link = shared + "/link.bin";
    ASSERT_EQ(0, ::symlink(victim.c_str(), link.c_str()));
    ASSERT_EQ(0, ::lchown(link.c_str(), 65534, 65534));
    EXPECT_EQ(link, ForeignLinkInSharedFolder(link));
    EXPECT_FALSE(WriteWholeFile(link, "new", 3));
    EXPECT_EQ("keep", test::ReadText(victim));
    EXPECT_NE(std::string::npos, FileProblem(link, FileUse::Write).find("a link another user made")) << link;
    // The same link on the way to a file in a folder it names.
    const std::string folderLink = shared + "/fw";
    ASSERT_EQ(0, ::symlink(dir.path().c_str(), folderLink.c_str()));
    ASSERT_EQ(0, ::lchown(folderLink.c_str(), 65534, 65534));
    EXPECT_FALSE(WriteWholeFile(folderLink + "/victim.txt", "new", 3));
    EXPECT_EQ("keep", test::ReadText(victim));
    // A link of the folder's owner, or in a folder that is not shared, is followed.
    ASSERT_EQ(0, ::lchown(link.c_str(), 0, 0));
    EXPECT_TRUE(WriteWholeFile(link, "new", 3));
    EXPECT_EQ("new", test::ReadText(victim));
}

// A folder every user may write, with the sticky bit, as /tmp is: made inside
// the test's folder, so the test's links are the only ones in it.
std::string MakeSharedFolder(const TempDir& dir) {
    const std::string shared = dir.File("tmp");
    if (::mkdir(shared.c_str(), 0755) != 0 || ::chmod(shared.c_str(), 01777) != 0) return std::string();
    return shared;
}

// A link to `target` at `link` that another user (nobody, 65534) owns, put in
// place in one step: made under a name of its own, given away, then renamed,
// so no moment shows the name as a link of root.
bool PlantForeignLink(const std::string& target, const std::string& link) {
    const std::string made = link + ".planting";
    ::unlink(made.c_str());
    return ::symlink(target.c_str(), made.c_str()) == 0 && ::lchown(made.c_str(), 65534, 65534) == 0 &&
           ::rename(made.c_str(), link.c_str()) == 0;
}

// Exchanges two names of one folder over and over until it is destroyed, as
// an unprivileged user racing a privileged write does. Two processes, so one
// is still swapping while the other waits for a core; processes rather than
// threads, so the test's own process keeps no trace of them (a thread's
// memory arena would outlive it and serve a later test's allocations).
class NameSwapper {
public:
    NameSwapper(const std::string& a, const std::string& b) {
        for (pid_t& child : children_) {
            child = ::fork();
            if (child == 0) {
                for (;;) ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
            }
        }
    }
    ~NameSwapper() {
        for (const pid_t child : children_) {
            if (child <= 0) continue;
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
    NameSwapper(const NameSwapper&) = delete;
    NameSwapper& operator=(const NameSwapper&) = delete;

private:
    pid_t children_[2] = {-1, -1};
};

// Bounded both ways: rounds enough to hit the window between a check and a
// use many times over, and never more than two seconds on a slow machine.
constexpr int kRaceRounds = 50000;
constexpr auto kRaceTime = std::chrono::seconds(2);

// Without the sync a round takes microseconds, not milliseconds: many more
// rounds in the time, and the path taken is the same.
class QuickWrites {
public:
    QuickWrites() { SetDurableWrites(false); }
    ~QuickWrites() { SetDurableWrites(true); }
    QuickWrites(const QuickWrites&) = delete;
    QuickWrites& operator=(const QuickWrites&) = delete;
};

// The write goes through a link of the folder's owner (allowed) to a name
// that is swapped between a regular file and another user's link to the
// victim: a write that looks the name up twice (a check, then a realpath)
// has the whole walk of the path between the two looks to lose the race in.
TEST(FilesTest, ALinkSwappedInDuringAWriteNeverReplacesItsTarget) {
    if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user needs root to make";
    TempDir dir;
    const std::string victim = dir.Write("victim.txt", std::string("keep"));
    const std::string shared = MakeSharedFolder(dir);
    ASSERT_FALSE(shared.empty());
    const std::string inner = dir.Write("tmp/inner.bin", std::string("old"));
    const std::string out = shared + "/out.bin";
    ASSERT_EQ(0, ::symlink("inner.bin", out.c_str()));
    const std::string swap = shared + "/swap";
    ASSERT_TRUE(PlantForeignLink(victim, swap));
    int written = 0;
    {
        const QuickWrites quick;
        NameSwapper swapper(inner, swap);
        const auto until = std::chrono::steady_clock::now() + kRaceTime;
        for (int round = 0; round < kRaceRounds && std::chrono::steady_clock::now() < until; ++round) {
            written += WriteWholeFile(out, "new", 3) ? 1 : 0;
            if (test::ReadText(victim) != "keep") break;
            // A replacement that lands on the name while it is the link
            // replaces the link itself: a new one keeps the race going.
            if (!IsLink(inner) && !IsLink(swap)) {
                ASSERT_TRUE(PlantForeignLink(victim, swap));
            }
        }
    }
    EXPECT_EQ("keep", test::ReadText(victim));
    // On a busy machine the swappers may hold the foreign link in place at
    // every look, so every write of the race may be refused: the count is
    // not a condition. Once the race is over the write goes through.
    (void)written;
    ::unlink(inner.c_str());
    dir.Write("tmp/inner.bin", std::string("old"));
    EXPECT_TRUE(WriteWholeFile(out, "new", 3));
    EXPECT_EQ("new", test::ReadText(inner));
    EXPECT_EQ("keep", test::ReadText(victim));
    EXPECT_TRUE(IsLink(out));
}

TEST(FilesTest, AFolderSwappedForALinkDuringAWriteIsNotFollowed) {
    if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user needs root to make";
    TempDir dir;
    ASSERT_EQ(0, ::mkdir(dir.File("victim").c_str(), 0755));
    const std::string victim = dir.Write("victim/out.bin", std::string("keep"));
    const std::string shared = MakeSharedFolder(dir);
    ASSERT_FALSE(shared.empty());
    ASSERT_EQ(0, ::mkdir((shared + "/fw").c_str(), 0755));
    const std::string out = dir.Write("tmp/fw/out.bin", std::string("old"));
    const std::string swap = shared + "/swap";
    ASSERT_TRUE(PlantForeignLink(dir.File("victim"), swap));
    {
        const QuickWrites quick;
        NameSwapper swapper(shared + "/fw", swap);
        const auto until = std::chrono::steady_clock::now() + kRaceTime;
        for (int round = 0; round < kRaceRounds && std::chrono::steady_clock::now() < until; ++round) {
            WriteWholeFile(out, "new", 3);
            if (test::ReadText(victim) != "keep") break;
        }
    }
    EXPECT_EQ("keep", test::ReadText(victim));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.File("victim")), {}));
}

// As an editor saves: another user's file stays theirs, with its mode; the
// replacement is a new file, so a hard link's other name keeps the old content.
TEST(FilesTest, AReplacementKeepsTheOwnerGroupAndMode) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    TempDir dir;
    const std::string p = dir.Write("fw.bin", std::string("old"));
    const std::string hard = dir.File("hard.bin");
    ASSERT_EQ(0, ::link(p.c_str(), hard.c_str()));
    ASSERT_EQ(0, ::chown(p.c_str(), 65534, 65534));
    ASSERT_EQ(0, ::chmod(p.c_str(), 0640));
    ASSERT_TRUE(WriteWholeFile(p, "new", 3));
    struct stat st;
    ASSERT_EQ(0, ::stat(p.c_str(), &st));
    EXPECT_EQ(65534u, st.st_uid);
    EXPECT_EQ(65534u, st.st_gid);
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ("new", test::ReadText(p));
    EXPECT_EQ("old", test::ReadText(hard));
}

TEST(FilesTest, AbsolutePathIsNormal) {
    EXPECT_EQ("/a/c", AbsolutePath("/a/b/../c/"));
    EXPECT_EQ("", AbsolutePath(""));
    EXPECT_EQ('/', AbsolutePath("x.hex").front());
}
#else
TEST(FilesTest, SameFileSeesThroughSpellingsCaseAndLinks) {
    TempDir dir;
    const std::string a = dir.Write("a.bin", std::string("x"));
    std::error_code ec;
    std::filesystem::create_hard_link(test::FsPath(a), test::FsPath(dir.File("hard.bin")), ec);
    ASSERT_FALSE(ec) << ec.message();
    ASSERT_TRUE(test::MakeFolder(dir.File("sub")));
    EXPECT_TRUE(SameFile(a, dir.path() + "/./sub/../A.BIN"));
    EXPECT_TRUE(SameFile(a, dir.File("hard.bin")));
    EXPECT_FALSE(SameFile(a, dir.Write("b.bin", std::string("x"))));
    // Files that do not exist yet: names match without regard to case.
    EXPECT_TRUE(SameFile(dir.File("new.bin"), dir.path() + "\\.\\NEW.bin"));
    EXPECT_FALSE(SameFile(dir.File("new.bin"), a));
    EXPECT_FALSE(SameFile("", ""));
}

TEST(FilesTest, PathsKnowDrivesSharesAndBothSeparators) {
    EXPECT_EQ("C:\\a\\c", AbsolutePath("C:/a/b/../c/"));
    EXPECT_EQ("C:\\", AbsolutePath("C:\\"));
    EXPECT_EQ("\\\\server\\share\\y", AbsolutePath("\\\\server\\share\\x\\..\\y"));
    EXPECT_EQ("", AbsolutePath(""));
    EXPECT_EQ(':', AbsolutePath("x.hex")[1]);

    for (const char* absolute : {"C:\\fw\\a.bin", "c:/fw/a.bin", "\\\\server\\share\\a.bin", "//server/share/a.bin"})
        EXPECT_TRUE(IsAbsolutePath(absolute)) << absolute;
    // "\fw" depends on the current drive, "C:fw" on drive C's current folder.
    for (const char* relative : {"a.bin", "fw\\a.bin", "\\fw\\a.bin", "C:fw\\a.bin", ""})
        EXPECT_FALSE(IsAbsolutePath(relative)) << relative;

    EXPECT_EQ("D:\\proj\\fw\\a.bin", ResolveAgainst("D:\\proj", "fw/a.bin"));
    EXPECT_EQ("D:\\fw\\a.bin", ResolveAgainst("D:\\proj", "\\fw\\a.bin"));
    EXPECT_EQ("D:\\proj\\a.bin", ResolveAgainst("D:\\proj", "d:a.bin"));
    EXPECT_EQ("\\\\server\\share\\fw\\a.bin", ResolveAgainst("\\\\server\\share\\proj", "\\fw\\a.bin"));
    EXPECT_EQ("E:\\a.bin", ResolveAgainst("D:\\proj", "E:\\a.bin"));

    EXPECT_EQ("C:\\", FolderOf("C:\\a.bin"));
    EXPECT_EQ("C:\\fw", FolderOf("C:\\fw/a.bin"));
    EXPECT_EQ("\\\\server\\share", FolderOf("\\\\server\\share\\a.bin"));
    EXPECT_EQ(".", FolderOf("a.bin"));
}
#endif

TEST(SizedFilesTest, ReadExpectedSizeTellsAChangedLength) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string(10, 'a'));
    EXPECT_EQ(SizedReadStatus::Ok, ReadExpectedSize(p, 10).status);
    EXPECT_EQ(10u, ReadExpectedSize(p, 10).bytes.size());
    const SizedRead shorter = ReadExpectedSize(p, 12);
    EXPECT_EQ(SizedReadStatus::SizeChanged, shorter.status);
    EXPECT_EQ(10u, shorter.actualLength);
    const SizedRead longer = ReadExpectedSize(p, 3);
    EXPECT_EQ(SizedReadStatus::SizeChanged, longer.status);
    EXPECT_EQ(10u, longer.actualLength);
    EXPECT_EQ(SizedReadStatus::Unreadable, ReadExpectedSize(dir.path(), 0).status);
    EXPECT_EQ(SizedReadStatus::Unreadable, ReadExpectedSize(dir.File("none"), 0).status);
}

TEST(SizedFilesTest, PadFileEndMeasuresTheFileItPads) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string(1001, 'a'));
    const PadResult padded = PadFileEnd(p, 8, 0xFF);
    EXPECT_EQ(PadStatus::Padded, padded.status);
    EXPECT_EQ(1001u, padded.oldLength);
    EXPECT_EQ(1008u, padded.newLength);
    EXPECT_EQ(std::string(1001, 'a') + std::string(7, '\xFF'), test::ReadText(p));
    EXPECT_EQ(PadStatus::NotNeeded, PadFileEnd(p, 4, 0).status);
    ASSERT_TRUE(test::MakeReadOnly(p));
    EXPECT_EQ(PadStatus::OpenFailed, PadFileEnd(p, 16, 0).status);
    EXPECT_EQ(PadStatus::OpenFailed, PadFileEnd(dir.File("none"), 4, 0).status);
    EXPECT_FALSE(FileExists(dir.File("none")));
}

#ifndef _WIN32
TEST(SizedFilesTest, TwoProgramsPaddingOneFileAtOnceDoNotBothPad) {
    TempDir dir;
    for (int round = 0; round < 20; ++round) {
        const std::string p = dir.Write("a.bin", std::string(1001, 'a'));
        pid_t children[2];
        for (pid_t& child : children) {
            child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) _exit(PadFileEnd(p, 8, 0).status == PadStatus::OpenFailed ? 1 : 0);
        }
        for (const pid_t child : children) {
            int status = 0;
            ASSERT_EQ(child, ::waitpid(child, &status, 0));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        ASSERT_EQ(1008u, FileLength(p).value()) << "round " << round;
    }
}

TEST(SizedFilesTest, PaddingDoesNotFollowAnotherUsersLinkInASharedFolder) {
    if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user needs root to make";
    TempDir dir;
    const std::string victim = dir.Write("victim.bin", std::string(1001, 'v'));
    const std::string shared = MakeSharedFolder(dir);
    ASSERT_FALSE(shared.empty());
    const std::string link = shared + "/link.bin";
    ASSERT_TRUE(PlantForeignLink(victim, link));
    EXPECT_EQ(PadStatus::OpenFailed, PadFileEnd(link, 8, 0xFF).status);
    EXPECT_EQ(1001u, FileLength(victim).value());
    EXPECT_NE(std::string::npos, FileProblem(link, FileUse::ReadWrite).find("a link another user made"));
    // Swapped in while the padding runs, it is not followed either.
    const std::string out = dir.Write("tmp/out.bin", std::string(1001, 'o'));
    {
        NameSwapper swapper(out, link);
        const auto until = std::chrono::steady_clock::now() + kRaceTime;
        for (int round = 0; round < kRaceRounds && std::chrono::steady_clock::now() < until; ++round) {
            PadFileEnd(out, 8, 0xFF);
            if (FileLength(victim) != 1001u) break;
        }
    }
    EXPECT_EQ(1001u, FileLength(victim).value());
}
#else
// The lock is the file's, taken through each opening of it: two threads with
// an opening each contend as two programs do.
TEST(SizedFilesTest, TwoProgramsPaddingOneFileAtOnceDoNotBothPad) {
    TempDir dir;
    for (int round = 0; round < 20; ++round) {
        const std::string p = dir.Write("a.bin", std::string(1001, 'a'));
        PadStatus statuses[2] = {PadStatus::OpenFailed, PadStatus::OpenFailed};
        std::thread first([&] { statuses[0] = PadFileEnd(p, 8, 0).status; });
        std::thread second([&] { statuses[1] = PadFileEnd(p, 8, 0).status; });
        first.join();
        second.join();
        EXPECT_NE(PadStatus::OpenFailed, statuses[0]);
        EXPECT_NE(PadStatus::OpenFailed, statuses[1]);
        ASSERT_EQ(1008u, FileLength(p).value()) << "round " << round;
    }
}
#endif

}  // namespace
}  // namespace torvane
