#include "platform/files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/sized_files.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::TempDir;

TEST(FilesTest, LengthAndReadOfARegularFile) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string("\x01\x02\x00\x03", 4));
    EXPECT_EQ(4u, FileLength(p).value());
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 0, 3}), ReadWholeFile(p).value());
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 0, 3, 0, 0}), ReadFilePrefix(p, 6).value());
    EXPECT_EQ((std::vector<uint8_t>{1, 2}), ReadFilePrefix(p, 2).value());
}

TEST(FilesTest, FoldersAndMissingFilesAreNotFiles) {
    TempDir dir;
    EXPECT_FALSE(FileLength(dir.path()));
    EXPECT_FALSE(ReadWholeFile(dir.path()));
    EXPECT_FALSE(CanOpenRead(dir.path()));
    EXPECT_FALSE(CanOpenReadWrite(dir.path()));
    EXPECT_FALSE(FileExists(dir.File("none")));
    EXPECT_FALSE(ReadFilePrefix(dir.File("none"), 4));
    EXPECT_TRUE(FileExists(dir.path()));
}

TEST(FilesTest, ReadOnlyIsCheckedByTheModeEvenForRoot) {
    TempDir dir;
    const std::string p = dir.Write("ro.bin", std::string("x"));
    ASSERT_EQ(0, ::chmod(p.c_str(), 0444));
    EXPECT_TRUE(IsReadOnlyFile(p));
    EXPECT_FALSE(CanOpenReadWrite(p));
    EXPECT_TRUE(CanOpenRead(p));
    EXPECT_FALSE(AppendFill(p, 0xFF, 3));
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
    EXPECT_FALSE(WriteWholeFile("/dev/full", "abc", 3));
}

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

TEST(FilesTest, NoTemporaryFileIsLeftBehind) {
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("a.bin"), "abc", 3));
    size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += e.path().filename() != "" ? 1 : 0;
    EXPECT_EQ(1u, entries);
}

TEST(FilesTest, AppendFillAddsAtTheEnd) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string("ab"));
    EXPECT_TRUE(AppendFill(p, 0xFF, 3));
    EXPECT_EQ(std::string("ab\xFF\xFF\xFF"), test::ReadText(p));
    EXPECT_FALSE(AppendFill(dir.File("none"), 0, 1));
    EXPECT_FALSE(FileExists(dir.File("none")));
}

TEST(FilesTest, ShortAppendIsTakenBack) {
    TempDir dir;
    const std::string p = dir.Write("a.bin", std::string(1001, 'a'));
    // A file size limit one byte above the file lets only the first padding byte in.
    struct rlimit old;
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &old));
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 1002;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &tight));
    const bool ok = AppendFill(p, 0xFF, 3);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(1001u, FileLength(p).value());
}

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

TEST(FilesTest, AbsolutePathIsNormal) {
    EXPECT_EQ("/a/c", AbsolutePath("/a/b/../c/"));
    EXPECT_EQ("", AbsolutePath(""));
    EXPECT_EQ('/', AbsolutePath("x.hex").front());
}

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
    ASSERT_EQ(0, ::chmod(p.c_str(), 0444));
    EXPECT_EQ(PadStatus::OpenFailed, PadFileEnd(p, 16, 0).status);
    EXPECT_EQ(PadStatus::OpenFailed, PadFileEnd(dir.File("none"), 4, 0).status);
    EXPECT_FALSE(FileExists(dir.File("none")));
}

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

}  // namespace
}  // namespace torvane
