#include "tools/nic/upgrade_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <fstream>

#include "core/operation_log.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "support/nic_test_support.h"

namespace torvane {
namespace {

using Lines = std::vector<std::string>;
using test::Exists;
using test::ListLines;
using test::ReadBytes;

// An image of `size` bytes whose content is not all one value.
std::vector<uint8_t> Image(size_t size, uint8_t seed = 0x30) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(seed + i * 13);
    return image;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t from, size_t count) {
    return std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + from + count);
}

TEST(UpgradeImageTest, OutputNameSplitsAtTheLastDotOfTheFileName) {
    EXPECT_EQ("/fw/net_v1.2_new.bin", UpgradeOutputPath("/fw/net_v1.2.bin", false));
    EXPECT_EQ("/fw/net_v1.2_newforproduction.bin", UpgradeOutputPath("/fw/net_v1.2.bin", true));
    EXPECT_EQ("/fw.d/img_new.bin", UpgradeOutputPath("/fw.d/img.bin", false));
}

TEST(UpgradeImageTest, NameWithoutADotGetsTheSuffixAppendedInTheSameFolder) {
    EXPECT_EQ("/fw/image_new", UpgradeOutputPath("/fw/image", false));
    EXPECT_EQ("/fw.d/image_newforproduction", UpgradeOutputPath("/fw.d/image", true));
    EXPECT_EQ("image_new", UpgradeOutputPath("image", false));
}

TEST(UpgradeImageTest, OutputNameKeepsThePathsOwnBytes) {
    // Not UTF-8, and in no code page the same character: two files, two outputs.
    EXPECT_EQ("/fw/x\xFF_new.bin", UpgradeOutputPath("/fw/x\xFF.bin", false));
    EXPECT_EQ("/fw/x\xFE_new.bin", UpgradeOutputPath("/fw/x\xFE.bin", false));
}

TEST(UpgradeImageTest, BodyReplacesExactlyItsRangeAndTheLengthStays) {
    const NicConfigBody body = test::CountingBody();
    const std::vector<uint8_t> image = Image(0x5000);
    const std::optional<std::vector<uint8_t>> out = BuildUpgradeImage(image, body, false);
    ASSERT_TRUE(out);
    std::vector<uint8_t> expected = image;
    std::copy(body.begin(), body.end(), expected.begin() + 0x4000);
    EXPECT_EQ(expected, *out);
    EXPECT_EQ(expected, BuildUpgradeImage(expected, body, false));  // already carrying it: unchanged
}

TEST(UpgradeImageTest, ProductionImageBlanksMacAndSerialStartOnly) {
    const NicConfigBody body = test::CountingBody();
    const std::optional<std::vector<uint8_t>> out = BuildUpgradeImage(Image(0x4108), body, true);
    ASSERT_TRUE(out);
    for (size_t i = 0; i < body.size(); ++i) {
        const bool blanked = (i >= 8 && i <= 13) || (i >= 172 && i <= 197);
        EXPECT_EQ(blanked ? 0 : body[i], (*out)[0x4000 + i]) << "body byte " << i;
    }
}

TEST(UpgradeImageTest, ImageTooShortForTheBodyIsRefused) {
    EXPECT_FALSE(BuildUpgradeImage(Image(0x4107), test::CountingBody(), false));
    EXPECT_FALSE(BuildUpgradeImage(std::vector<uint8_t>(), test::CountingBody(), true));
}

class UpgradeCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        body = test::CountingBody();
        test::PutDescriptor(body, kNicSerialDescriptorOffset, "SN0000000001");
        config = dir.Write("adapter.cfg", test::NicConfigFile(body));
        imageA = dir.Write("cdrom.v1.bin", Image(0x4200, 0x11));
        imageB = dir.Write("plain.bin", Image(0x4300, 0x22));
    }

    bool Merge(const std::string& a, const std::string& b) { return GenerateMergedFiles(a, b, config, list, prompts); }
    bool Production(const std::string& a, const std::string& b) {
        return GenerateProductionFiles(a, b, config, list, prompts);
    }
    // The lines of the last command after its 33 configuration lines.
    Lines CommandLines() {
        const Lines all = ListLines(list, from);
        from = list.LineCount();
        return all.size() > 33 ? Lines(all.begin() + 33, all.end()) : all;
    }

    test::TempDir dir;
    test::ScriptedPrompts prompts;
    OperationLog list;
    int32_t from = 0;
    NicConfigBody body{};
    std::string config, imageA, imageB;
};

TEST_F(UpgradeCommandTest, MergeListsTheConfigurationThenWritesAThenB) {
    EXPECT_TRUE(Merge(imageA, imageB));
    ASSERT_EQ(35, list.LineCount());
    EXPECT_EQ("网卡配置文件读取成功！", list.Line(0).substr(0, list.Line(0).size() - 2));
    const std::string outA = dir.File("cdrom.v1_new.bin"), outB = dir.File("plain_new.bin");
    EXPECT_EQ((Lines{"升级文件+CDROM合并生成成功,文件名为" + outA + "！", "升级文件合并生成成功,文件名为" + outB + "！"}),
              CommandLines());
    EXPECT_EQ(BuildUpgradeImage(Image(0x4200, 0x11), body, false), ReadBytes(outA));
    EXPECT_EQ(BuildUpgradeImage(Image(0x4300, 0x22), body, false), ReadBytes(outB));
}

TEST_F(UpgradeCommandTest, ProductionFilesHaveTheirOwnNamesTextsAndBlanking) {
    EXPECT_TRUE(Production(imageA, imageB));
    const std::string outA = dir.File("cdrom.v1_newforproduction.bin");
    const std::string outB = dir.File("plain_newforproduction.bin");
    EXPECT_EQ((Lines{"升级文件+CDROM合并用于生产生成成功,文件名为" + outA + "！",
                     "升级文件合并用于生产生成成功,文件名为" + outB + "！"}),
              CommandLines());
    const std::vector<uint8_t> a = ReadBytes(outA);
    ASSERT_EQ(0x4200u, a.size());
    EXPECT_EQ(std::vector<uint8_t>(6, 0), Slice(a, 0x4008, 6));
    EXPECT_EQ(std::vector<uint8_t>(26, 0), Slice(a, 0x40AC, 26));
}

TEST_F(UpgradeCommandTest, FailureOfAStopsBeforeB) {
    std::filesystem::create_directory(dir.File("folder.bin"));
    EXPECT_FALSE(Merge(dir.File("gone.bin"), imageB));
    EXPECT_EQ(Lines{"升级文件 + CDROM不存在！"}, CommandLines());
    EXPECT_FALSE(Merge(dir.File("folder.bin"), imageB));
    EXPECT_EQ(Lines{"升级文件+CDROM打开失败！"}, CommandLines());
    EXPECT_FALSE(Exists(dir.File("plain_new.bin")));
}

TEST_F(UpgradeCommandTest, OnlyBIsProcessedWhenAIsEmpty) {
    EXPECT_TRUE(Merge("", imageB));
    EXPECT_EQ(Lines{"升级文件合并生成成功,文件名为" + dir.File("plain_new.bin") + "！"}, CommandLines());
}

TEST_F(UpgradeCommandTest, FailedBKeepsTheOutputOfA) {
    std::filesystem::create_directory(dir.File("folder.bin"));
    EXPECT_FALSE(Merge(imageA, dir.File("gone.bin")));
    EXPECT_EQ((Lines{"升级文件+CDROM合并生成成功,文件名为" + dir.File("cdrom.v1_new.bin") + "！", "升级文件不存在！"}),
              CommandLines());
    EXPECT_TRUE(Exists(dir.File("cdrom.v1_new.bin")));
    EXPECT_FALSE(Merge("", dir.File("folder.bin")));
    EXPECT_EQ(Lines{"升级文件打开失败！"}, CommandLines());
}

TEST_F(UpgradeCommandTest, NoImageShowsANoticeAndReadsNothing) {
    prompts.ExpectNotice("请至少选择一个升级文件");
    EXPECT_FALSE(GenerateMergedFiles("", "", dir.File("no-such.cfg"), list, prompts));
    EXPECT_TRUE(prompts.Done());
    EXPECT_EQ(0, list.LineCount());
}

TEST_F(UpgradeCommandTest, InvalidConfigurationWritesNothing) {
    std::vector<uint8_t> bad = test::NicConfigFile(body);
    bad[23] = 'X';
    config = dir.Write("bad.cfg", bad);
    EXPECT_FALSE(Merge(imageA, imageB));
    EXPECT_EQ(Lines{"网卡配置文件无效！"}, ListLines(list));
    EXPECT_FALSE(Exists(dir.File("cdrom.v1_new.bin")));
}

TEST_F(UpgradeCommandTest, ShortImageIsRefusedAndEndsTheCommand) {
    EXPECT_FALSE(Merge(dir.Write("short.bin", Image(0x4107)), imageB));
    EXPECT_EQ(Lines{"升级文件+CDROM长度为16647字节,不足16648字节,无法写入网卡配置！"}, CommandLines());
    EXPECT_FALSE(Exists(dir.File("short_new.bin")));
    EXPECT_FALSE(Exists(dir.File("plain_new.bin")));
    EXPECT_FALSE(Production("", dir.Write("empty.bin", std::string())));
    EXPECT_EQ(Lines{"升级文件长度为0字节,不足16648字节,无法写入网卡配置！"}, CommandLines());
}

TEST_F(UpgradeCommandTest, OutputThatCannotBeWrittenIsReportedAndEndsTheCommand) {
    const std::string outA = dir.File("cdrom.v1_new.bin");
    std::filesystem::create_directory(outA);
    EXPECT_FALSE(Merge(imageA, imageB));
    EXPECT_EQ(Lines{"升级文件+CDROM生成失败,无法写入文件" + outA + "！"}, CommandLines());
    EXPECT_FALSE(Exists(dir.File("plain_new.bin")));

    // Read-only stays read-only, also for a process (root) that could write it.
    const std::string outB = dir.Write("plain_newforproduction.bin", std::string("keep"));
    ASSERT_TRUE(test::MakeReadOnly(outB));
    EXPECT_FALSE(Production("", imageB));
    EXPECT_EQ(Lines{"升级文件生成失败,无法写入文件" + outB + "！"}, CommandLines());
    EXPECT_EQ("keep", test::ReadText(outB));
}

#if defined(__SANITIZE_ADDRESS__)
#define TORVANE_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORVANE_TEST_ASAN 1
#endif
#endif

// A file of `size` bytes of holes: large, yet quick to make.
std::string SparseFile(const std::string& path, uint64_t size) {
    if (!test::SetFileLength(path, size)) ADD_FAILURE() << "cannot make " << path;
    return path;
}

TEST_F(UpgradeCommandTest, ImageOverTheSizeLimitIsRefusedBeforeItIsRead) {
    const std::string big = SparseFile(dir.File("big.bin"), kUpgradeImageMaxSize + 1);
    EXPECT_FALSE(Merge(big, imageB));
    EXPECT_EQ(Lines{"升级文件+CDROM长度为67108865字节,超过64MB,无法写入网卡配置！"}, CommandLines());
    EXPECT_FALSE(Production("", big));
    EXPECT_EQ(Lines{"升级文件长度为67108865字节,超过64MB,无法写入网卡配置！"}, CommandLines());
    EXPECT_FALSE(Exists(dir.File("big_new.bin")));
    EXPECT_FALSE(Exists(dir.File("plain_new.bin")));
}

TEST_F(UpgradeCommandTest, RunningOutOfMemoryIsALineNotAnAbort) {
#if defined(_WIN32)
    GTEST_SKIP() << "an address space limit for one child process (fork, setrlimit) is POSIX";
#elif defined(TORVANE_TEST_ASAN)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    const std::string big = SparseFile(dir.File("big.bin"), 48u << 20);
    const int status = [&] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Room for what the process holds now and 16 MiB more: not for the image.
            long pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (16u << 20);
            struct rlimit r = {limit, limit};
            if (pages == 0 || ::setrlimit(RLIMIT_AS, &r) != 0) ::_exit(10);
            if (Merge("", big)) ::_exit(11);
            ::_exit(list.Line(list.LineCount() - 1) == "升级文件生成失败,内存不足！\r\n" ? 0 : 12);
        }
        int raw = 0;
        ::waitpid(pid, &raw, 0);
        return raw;
    }();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_FALSE(Exists(dir.File("big_new.bin")));
#endif
}

TEST_F(UpgradeCommandTest, AnOutputThatWouldReplaceAnotherFileOfTheCommandIsRefused) {
    // The output of B is the configuration file.
    const std::vector<uint8_t> configBytes = ReadBytes(config);
    const std::string x = dir.Write("x.bin", Image(0x4200));
    const std::string xNew = dir.Write("x_new.bin", configBytes);
    config = xNew;
    EXPECT_FALSE(Merge("", x));
    EXPECT_EQ(Lines{"升级文件生成失败,生成的文件" + xNew + "会覆盖" + xNew + "！"}, CommandLines());
    EXPECT_EQ(configBytes, ReadBytes(xNew));
    config = dir.File("adapter.cfg");

    // The output of A is image B, which is not read yet.
    const std::string y = dir.Write("y.bin", Image(0x4200, 0x44));
    const std::string yNew = dir.Write("y_new.bin", Image(0x4300, 0x55));
    EXPECT_FALSE(Merge(y, yNew));
    EXPECT_EQ(Lines{"升级文件+CDROM生成失败,生成的文件" + yNew + "会覆盖" + yNew + "！"}, CommandLines());
    EXPECT_EQ(Image(0x4300, 0x55), ReadBytes(yNew));
    EXPECT_FALSE(Exists(dir.File("y_new_new.bin")));

    // A and B are one file spelt two ways: B's output would replace A's.
    const std::string sameA = dir.path() + "/./cdrom.v1.bin";
    EXPECT_FALSE(Production(imageA, sameA));
    EXPECT_EQ(Lines{"升级文件生成失败,生成的文件" + dir.path() + "/./cdrom.v1_newforproduction.bin会覆盖" +
                    dir.File("cdrom.v1_newforproduction.bin") + "！"},
              CommandLines());
    EXPECT_FALSE(Exists(dir.File("cdrom.v1_newforproduction.bin")));
}

// File names are bytes on POSIX. On Windows they are UTF-16 and reach the
// program as valid UTF-8, so names that are no UTF-8 cannot occur there.
#ifndef _WIN32
TEST_F(UpgradeCommandTest, InputsThatDifferInOneByteGiveTwoOutputs) {
    const std::string a = dir.Write("x\xFF.bin", Image(0x4200, 0x11));
    const std::string b = dir.Write("x\xFE.bin", Image(0x4200, 0x22));
    EXPECT_TRUE(Merge(a, b));
    EXPECT_EQ(BuildUpgradeImage(Image(0x4200, 0x11), body, false), ReadBytes(dir.File("x\xFF_new.bin")));
    EXPECT_EQ(BuildUpgradeImage(Image(0x4200, 0x22), body, false), ReadBytes(dir.File("x\xFE_new.bin")));
}
#endif

}  // namespace
}  // namespace torvane
