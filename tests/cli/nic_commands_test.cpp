#include "cli/nic_commands.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/files.h"
#include "platform/program_path.h"
#include "support/temp_dir.h"
#include "tools/nic/upgrade_image.h"
#include "support/nic_test_support.h"

namespace torvane::cli {
namespace {

using Runner = int (*)(const std::vector<std::string>&, std::FILE*, std::FILE*);

struct Outcome {
    int status;
    std::string out, err;
};

std::string Contents(std::FILE* f) {
    std::string text;
    std::rewind(f);
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, got);
    std::fclose(f);
    return text;
}

Outcome RunCommand(Runner run, const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = run(args, out, err);
    return Outcome{status, Contents(out), Contents(err)};
}

class NicCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        body = test::CountingBody();
        test::PutDescriptor(body, kNicSerialDescriptorOffset, "SN1");
        config = dir.Write("adapter.cfg", test::NicConfigFile(body));
        image = dir.Write("fw.bin", std::vector<uint8_t>(0x4108, 0x77));
    }

    test::TempDir dir;
    NicConfigBody body{};
    std::string config, image;
};

TEST_F(NicCommandsTest, NicInfoPrintsOneOutputLinePerListLine) {
    const Outcome o = RunCommand(RunNicInfoCommand, {config});
    EXPECT_EQ(0, o.status);
    EXPECT_EQ("", o.err);
    EXPECT_EQ(33, std::count(o.out.begin(), o.out.end(), '\n'));
    EXPECT_EQ(std::string::npos, o.out.find('\r'));
    EXPECT_EQ(0u, o.out.find("网卡配置文件读取成功！\n网卡配置项-USB基础配置使能:"));
    EXPECT_NE(std::string::npos, o.out.find("\n网卡配置项-USB序列号:SN1\n"));
}

TEST_F(NicCommandsTest, ReportedErrorsAreStatusOneWithBoxesOnStderr) {
    const Outcome absent = RunCommand(RunNicInfoCommand, {dir.File("x.cfg")});
    EXPECT_EQ(1, absent.status);
    EXPECT_EQ("网卡配置文件不存在！\n", absent.out);
    const Outcome empty = RunCommand(RunNicInfoCommand, {""});
    EXPECT_EQ(1, empty.status);
    EXPECT_EQ(ApplicationName() + ": 请选择网卡配置文件\ntorvane-cli: no configuration file was given\n", empty.err);

    const Outcome none = RunCommand(RunNicUpgradeCommand, {"--config", config});
    EXPECT_EQ(1, none.status);
    EXPECT_EQ("", none.out);
    EXPECT_EQ(ApplicationName() + ": 请至少选择一个升级文件\ntorvane-cli: no upgrade image was given\n", none.err);

    const Outcome missing = RunCommand(RunNicUpgradeCommand, {"--config", config, "--cdrom", dir.File("x.bin"), "--image", image});
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.out.find("\n升级文件 + CDROM不存在！\n"));
    EXPECT_FALSE(test::Exists(dir.File("fw_new.bin")));
}

TEST_F(NicCommandsTest, WrongCommandLinesAreStatusTwoWithUsage) {
    const std::vector<std::pair<Runner, std::vector<std::string>>> cases = {
        {RunNicInfoCommand, {}},
        {RunNicInfoCommand, {config, config}},
        {RunNicInfoCommand, {"--verbose"}},
        {RunNicUpgradeCommand, {"--image", image}},
        {RunNicUpgradeCommand, {"--config"}},
        {RunNicUpgradeCommand, {"--config", config, "--image", image, "--image", image}},
        {RunNicUpgradeCommand, {"--config", config, "--flash", image}},
        {RunNicUpgradeCommand, {"--config", config, image}},
    };
    for (const auto& [run, args] : cases) {
        const Outcome o = RunCommand(run, args);
        EXPECT_EQ(2, o.status) << testing::PrintToString(args);
        EXPECT_EQ("", o.out);
        EXPECT_NE(std::string::npos, o.err.find("Usage: torvane-cli nic-")) << o.err;
    }
}

TEST_F(NicCommandsTest, NicUpgradeMapsTheOptionsToTheDialogFields) {
    const std::string cdrom = dir.Write("cd.img", std::vector<uint8_t>(0x4200, 0x55));
    Outcome o = RunCommand(RunNicUpgradeCommand, {"--image", image, "--cdrom", cdrom, "--config", config});
    EXPECT_EQ(0, o.status);
    EXPECT_EQ("", o.err);
    const std::string tail = "\n升级文件+CDROM合并生成成功,文件名为" + dir.File("cd_new.img") + "！\n" +
                             "升级文件合并生成成功,文件名为" + dir.File("fw_new.bin") + "！\n";
    EXPECT_TRUE(o.out.ends_with(tail)) << o.out;

    o = RunCommand(RunNicUpgradeCommand, {"--config", config, "--production", "--image", image});
    EXPECT_EQ(0, o.status);
    const std::string out = dir.File("fw_newforproduction.bin");
    EXPECT_TRUE(o.out.ends_with("\n升级文件合并用于生产生成成功,文件名为" + out + "！\n")) << o.out;
    EXPECT_EQ(BuildUpgradeImage(std::vector<uint8_t>(0x4108, 0x77), body, true), test::ReadBytes(out));
}

TEST_F(NicCommandsTest, NicUpgradeTakesNoSync) {
    const Outcome o = RunCommand(RunNicUpgradeCommand, {"--no-sync", "--image", image, "--config", config});
    const bool durable = DurableWrites();
    SetDurableWrites(true);
    EXPECT_EQ(0, o.status) << o.err;
    EXPECT_FALSE(durable);
    EXPECT_TRUE(test::Exists(dir.File("fw_new.bin")));
}

TEST_F(NicCommandsTest, NicUpgradeOverItsOwnConfigurationIsStatusOneAndWritesNothing) {
    const std::vector<uint8_t> bytes = test::ReadBytes(config);
    const std::string own = dir.Write("fw_new.bin", bytes);
    const Outcome o = RunCommand(RunNicUpgradeCommand, {"--config", own, "--image", image});
    EXPECT_EQ(1, o.status);
    EXPECT_TRUE(o.out.ends_with("\n升级文件生成失败,生成的文件" + own + "会覆盖" + own + "！\n")) << o.out;
    EXPECT_EQ(bytes, test::ReadBytes(own));
}

}  // namespace
}  // namespace torvane::cli
