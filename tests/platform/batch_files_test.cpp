#include "platform/batch_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ReadText;
using test::TempDir;

// The names in the folder, temporary ones included.
std::vector<std::string> Names(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(test::FsPath(dir.path())))
        names.push_back(test::Utf8Path(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileBatchTest, FilesTakeTheirNamesOnlyAtTheCommit) {
    TempDir dir;
    FileBatch batch;
    ASSERT_TRUE(batch.Add(dir.File("a.bin"), "aa", 2));
    ASSERT_TRUE(batch.Add(dir.File("b.bin"), "bbb", 3));
    EXPECT_EQ(2u, batch.size());
    EXPECT_FALSE(test::Exists(dir.File("a.bin")));
    EXPECT_EQ(2u, Names(dir).size());  // the two temporary files
    size_t named = 0;
    ASSERT_TRUE(batch.Commit(false, true, named));
    EXPECT_EQ(2u, named);
    EXPECT_EQ((std::vector<std::string>{"a.bin", "b.bin"}), Names(dir));
    EXPECT_EQ("bbb", ReadText(dir.File("b.bin")));
    EXPECT_EQ(0u, batch.size());
}

TEST(FileBatchTest, ANameTakenMeanwhileIsLeftAloneAndTheRestRemoved) {
    TempDir dir;
    FileBatch batch;
    ASSERT_TRUE(batch.Add(dir.File("a.bin"), "new", 3));
    ASSERT_TRUE(batch.Add(dir.File("b.bin"), "new", 3));
    ASSERT_TRUE(batch.Add(dir.File("c.bin"), "new", 3));
    dir.Write("b.bin", "someone else's");
    size_t named = 0;
    EXPECT_FALSE(batch.Commit(false, true, named));
    EXPECT_EQ(EEXIST, errno);
    EXPECT_EQ(1u, named);
    EXPECT_EQ("someone else's", ReadText(dir.File("b.bin")));
    EXPECT_EQ((std::vector<std::string>{"a.bin", "b.bin"}), Names(dir));
    // Replacing takes the name.
    ASSERT_TRUE(batch.Add(dir.File("b.bin"), "mine", 4));
    ASSERT_TRUE(batch.Commit(true, false, named));
    EXPECT_EQ("mine", ReadText(dir.File("b.bin")));
}

TEST(FileBatchTest, DiscardLeavesNothingBehind) {
    TempDir dir;
    {
        FileBatch batch;
        ASSERT_TRUE(batch.Add(dir.File("a.bin"), "a", 1));
        batch.Discard();
        ASSERT_TRUE(batch.Add(dir.File("b.bin"), "b", 1));
    }  // and so does the end of its life
    EXPECT_TRUE(Names(dir).empty());
    FileBatch batch;
    EXPECT_FALSE(batch.Add(dir.File("none/a.bin"), "a", 1));
}

TEST(AppendFileTest, LinesGoAtTheEndAndACutDropsATail) {
    TempDir dir;
    const std::string path = dir.File("m.csv");
    AppendFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(0u, file.Length());
    ASSERT_TRUE(file.Append("one\r\n", true));
    ASSERT_TRUE(file.Append("two\r\ntw", true));
    ASSERT_TRUE(file.CutTo(10, true));
    ASSERT_TRUE(file.Append("three\r\n", false));
    file.Close();
    EXPECT_EQ("one\r\ntwo\r\nthree\r\n", ReadText(path));
    ASSERT_TRUE(file.Open(path));
    ASSERT_TRUE(file.Append("four\r\n", true));
    EXPECT_EQ("one\r\ntwo\r\nthree\r\nfour\r\n", ReadText(path));
    EXPECT_FALSE(AppendFile().Open(dir.File("none/m.csv")));
}

}  // namespace
}  // namespace torvane
