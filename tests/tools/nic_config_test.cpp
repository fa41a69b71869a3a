#include "tools/nic/nic_config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/operation_log.h"
#include "platform/code_page.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "support/nic_test_support.h"

namespace torvane {
namespace {

using Lines = std::vector<std::string>;
using test::ListLines;
using test::Put;
using test::PutDescriptor;

// The 32 setting lines; line k of the table is element k - 1.
Lines Settings(const NicConfigBody& body) {
    OperationLog list;
    AppendNicSettingLines(body, list);
    return ListLines(list);
}

const Lines kZeroBodyLines = {
    "网卡配置文件读取成功！",
    "网卡配置项-USB基础配置使能:关闭",
    "网卡配置项-USB2.0/2.1配置:USB2.0",
    "网卡配置项-USB VID:0000",
    "网卡配置项-USB PID:0000",
    "网卡配置项-USB BCD:0000",
    "网卡配置项-USB MaxPower(mA):0",
    "网卡配置项-供电方式:Bus-Powered",
    "网卡配置项-唤醒方式:Disable",
    "网卡配置项-USB产品字符串:",
    "网卡配置项-USB厂商字符串:",
    "网卡配置项-USB序列号:",
    "网卡配置项-MAC配置使能:关闭",
    "网卡配置项-模块MAC:000000000000",
    "网卡配置项-LED灯效配置使能:关闭",
    "网卡配置项-LED0/1功能交换:LED0/LED1:ACK/LINK",
    "网卡配置项-LED0电平极性配置:高电平",
    "网卡配置项-LED1电平极性配置:高电平",
    "网卡配置项-LED闪烁周期配置:240ms",
    "网卡配置项-LED闪烁占空比配置:12.5%",
    "网卡配置项-HASH表配置使能:关闭",
    "网卡配置项-HASH表过滤使能:关闭",
    "网卡配置项-HASH列表:0000000000000000",
    "网卡配置项-Dulplex Mode:Half-Dulplex",
    "网卡配置项-Speed Mode:10M",
    "网卡配置项-流控配置使能:关闭",
    "网卡配置项-流控阈值寄存器:0000",
    "网卡配置项-MAC过滤配置使能:关闭",
    "网卡配置项-MAC过滤配置:0000",
    "网卡配置项-过滤MAC:000000000000",
    "网卡配置项-唤醒包配置使能:关闭",
    "网卡配置项-自定义唤醒包配置字:" + std::string(64, '0'),
    "网卡配置项-CDROM使能:开启",
};

class NicConfigFileTest : public ::testing::Test {
protected:
    bool Load(const std::string& path) { return LoadNicConfig(path, body, list, prompts); }

    test::TempDir dir;
    test::ScriptedPrompts prompts;
    OperationLog list;
    NicConfigBody body{};
};

TEST_F(NicConfigFileTest, TagOnlyFileListsEveryLineOfAZeroBody) {
    body.fill(0xAA);
    // The literal's own terminator is the tag's zero byte.
    EXPECT_TRUE(Load(dir.Write("tag.cfg", std::vector<uint8_t>(kNicConfigTag, kNicConfigTag + sizeof kNicConfigTag))));
    EXPECT_EQ(NicConfigBody{}, body);
    EXPECT_EQ(kZeroBodyLines, ListLines(list));
}

TEST(NicConfigTest, EverySettingIsListedFromItsOwnBytes) {
    NicConfigBody b{};
    Put(b, 4, {0x80, 0x00, 0x4C, 0xE0, 0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC, 0x80, 0x01, 0x04, 0x00, 0x01, 0x6D});
    Put(b, 26, {0x34, 0x12, 0xAB, 0xCD, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07});
    Put(b, 52, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17});
    for (size_t i = 0; i < 32; ++i) b[60 + i] = static_cast<uint8_t>(0xE0 + i);
    Put(b, 92, {0x10, 0x02, 0x86, 0x1A, 0x23, 0x75, 0x64, 0x02, 0xFA, 0x60});
    PutDescriptor(b, kNicProductDescriptorOffset, "USB 10/100 LAN");
    PutDescriptor(b, kNicManufacturerDescriptorOffset, "Torvane 100%");
    PutDescriptor(b, kNicSerialDescriptorOffset, "0123456789AB");
    b[202] = 0x01;
    EXPECT_EQ((Lines{
                  "网卡配置项-USB基础配置使能:开启",
                  "网卡配置项-USB2.0/2.1配置:USB2.1",
                  "网卡配置项-USB VID:1A86",
                  "网卡配置项-USB PID:7523",
                  "网卡配置项-USB BCD:0264",
                  "网卡配置项-USB MaxPower(mA):500",
                  "网卡配置项-供电方式:Self-Powered",
                  "网卡配置项-唤醒方式:Enable",
                  "网卡配置项-USB产品字符串:USB 10/100 LAN",
                  "网卡配置项-USB厂商字符串:Torvane 100%",
                  "网卡配置项-USB序列号:0123456789AB",
                  "网卡配置项-MAC配置使能:开启",
                  "网卡配置项-模块MAC:001122AABBCC",
                  "网卡配置项-LED灯效配置使能:开启",
                  "网卡配置项-LED0/1功能交换:LED0/LED1:LINK/ACK",
                  "网卡配置项-LED0电平极性配置:低电平",
                  "网卡配置项-LED1电平极性配置:低电平",
                  "网卡配置项-LED闪烁周期配置:100ms",
                  "网卡配置项-LED闪烁占空比配置:25%",
                  "网卡配置项-HASH表配置使能:开启",
                  "网卡配置项-HASH表过滤使能:开启",
                  "网卡配置项-HASH列表:1011121314151617",
                  "网卡配置项-Dulplex Mode:Full-Dulplex",
                  "网卡配置项-Speed Mode:100M",
                  "网卡配置项-流控配置使能:开启",
                  "网卡配置项-流控阈值寄存器:1234",
                  "网卡配置项-MAC过滤配置使能:开启",
                  "网卡配置项-MAC过滤配置:ABCD",
                  "网卡配置项-过滤MAC:020304050607",
                  "网卡配置项-唤醒包配置使能:开启",
                  "网卡配置项-自定义唤醒包配置字:E0E1E2E3E4E5E6E7E8E9EAEBECEDEEEFF0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF",
                  "网卡配置项-CDROM使能:关闭",
              }),
              Settings(b));
}

TEST(NicConfigTest, FlagBitsOtherThanTheListedOnesChangeNoLine) {
    NicConfigBody b{};
    Put(b, 4, {0x7F, 0xFF, 0xB3, 0x1F});
    Put(b, 14, {0x7F, 0xFE, 0xFB, 0xFF, 0xFE, 0x90});
    b[101] = 0x9F;
    EXPECT_EQ(Lines(kZeroBodyLines.begin() + 1, kZeroBodyLines.end()), Settings(b));
}

TEST(NicConfigTest, OnlyBcdUsb0210IsUsb21) {
    // 0x0200, 0x0300 and 0x1002 (the bytes of 0x0210 swapped).
    for (const auto& [low, high] : {std::pair{0x00, 0x02}, std::pair{0x00, 0x03}, std::pair{0x02, 0x10}}) {
        NicConfigBody b{};
        Put(b, 92, {static_cast<uint8_t>(low), static_cast<uint8_t>(high)});
        EXPECT_EQ("网卡配置项-USB2.0/2.1配置:USB2.0", Settings(b)[1]) << high << " " << low;
    }
}

TEST(NicConfigTest, LedPeriodAndDutyCodesMapToTheirTexts) {
    const char* periods[] = {"240ms", "160ms", "80ms", "100ms"};
    const char* duties[] = {"12.5%", "25%", "50%", "75%"};
    for (int code = 0; code < 4; ++code) {
        NicConfigBody b{};
        b[19] = static_cast<uint8_t>(code << 2 | (3 - code));
        EXPECT_EQ(std::string("网卡配置项-LED闪烁周期配置:") + periods[code], Settings(b)[17]);
        EXPECT_EQ(std::string("网卡配置项-LED闪烁占空比配置:") + duties[3 - code], Settings(b)[18]);
    }
}

TEST(NicConfigTest, DescriptorLengthIsSignedAndTextIsTheLowBytesUpToAZero) {
    for (const auto& [bLength, text] : {std::pair{0x0A, "ABCD"}, std::pair{0x0B, "ABCD"}, std::pair{0x00, ""},
                                       std::pair{0x01, ""}, std::pair{0x03, ""}, std::pair{0x80, ""},
                                       std::pair{0xFF, ""}}) {
        NicConfigBody b{};
        PutDescriptor(b, kNicProductDescriptorOffset, "ABCDEFGHIJKLMNOP");
        b[kNicProductDescriptorOffset] = static_cast<uint8_t>(bLength);
        b[kNicProductDescriptorOffset + 3] = 0x4E;  // 'A' as U+4E41
        EXPECT_EQ(text, NicDescriptorText(b, kNicProductDescriptorOffset)) << bLength;
    }
    NicConfigBody b{};
    PutDescriptor(b, kNicProductDescriptorOffset, std::string("AB\0CD", 5));
    EXPECT_EQ("AB", NicDescriptorText(b, kNicProductDescriptorOffset));  // a C string ends at its zero
}

// A descriptor may run on into the fields after it, but never past the body
// and never past the 49 characters its text area holds.
TEST(NicConfigTest, LongDescriptorIsBoundedByTheBodyAndTheTextArea) {
    NicConfigBody b{};
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>('a' + i % 26);
    b[kNicProductDescriptorOffset] = 0x7F;  // 62 code units
    EXPECT_EQ(49u, NicDescriptorText(b, kNicProductDescriptorOffset).size());
    b[kNicSerialDescriptorOffset] = 0x7F;  // only the 45 units up to byte 263 exist
    std::string rest;
    for (size_t i = kNicSerialDescriptorOffset + 2; i < b.size(); i += 2) rest.push_back(static_cast<char>(b[i]));
    ASSERT_EQ(45u, rest.size());
    EXPECT_EQ(rest, NicDescriptorText(b, kNicSerialDescriptorOffset));
}

TEST(NicConfigTest, DescriptorBytesAreReadInTheCodePage) {
    NicConfigBody b{};
    PutDescriptor(b, kNicProductDescriptorOffset, "\xC4\xE3Z");
    ASSERT_TRUE(SetCodePage("GBK"));
    EXPECT_EQ("你Z", NicDescriptorText(b, kNicProductDescriptorOffset));
    ASSERT_TRUE(SetCodePage("UTF-8"));
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBF\xBDZ", NicDescriptorText(b, kNicProductDescriptorOffset));  // never broken UTF-8
    SetCodePage("");
}

TEST(NicConfigTest, OnlyTheTagAndItsZeroByteAreChecked) {
    std::vector<uint8_t> file = test::NicConfigFile(test::CountingBody());
    for (size_t i = 24; i < 30; ++i) file[i] = 0xFF;
    file.insert(file.end(), 50, 0xEE);  // past the body: ignored
    EXPECT_EQ(test::CountingBody(), ParseNicConfig(file));
    for (const auto& [offset, wrong] : {std::pair{23, ' '}, std::pair{23, '\x01'}, std::pair{0, 'k'}}) {
        std::vector<uint8_t> bad = file;
        bad[offset] = static_cast<uint8_t>(wrong);
        EXPECT_FALSE(ParseNicConfig(bad)) << offset;
    }
    // Ending before the zero byte is no complete tag, even though a zero-filled
    // header would compare equal.
    EXPECT_FALSE(ParseNicConfig(std::span<const uint8_t>(file.data(), 23)));
}

TEST(NicConfigTest, ShortBodyIsZeroFilled) {
    const std::vector<uint8_t> file = test::NicConfigFile(test::CountingBody());
    NicConfigBody expected = test::CountingBody();
    std::fill(expected.begin() + 100, expected.end(), uint8_t{0});
    EXPECT_EQ(expected, ParseNicConfig(std::span<const uint8_t>(file.data(), 30 + 100)));
}

TEST_F(NicConfigFileTest, EmptyPathAsksForAFileAndKeepsTheBody) {
    body.fill(0x5A);
    prompts.ExpectNotice("请选择网卡配置文件");
    EXPECT_FALSE(Load(""));
    EXPECT_TRUE(prompts.Done());
    EXPECT_EQ(0, list.LineCount());
    EXPECT_EQ(0x5A, body[0]);
}

TEST_F(NicConfigFileTest, UnusableFileGetsOneLineAndAZeroBody) {
    std::vector<uint8_t> wrongTag = test::NicConfigFile(test::CountingBody());
    wrongTag[23] = '!';
    std::filesystem::create_directory(dir.File("folder.cfg"));
    for (const auto& [path, line] : {std::pair{dir.File("missing.cfg"), "网卡配置文件不存在！"},
                                     std::pair{dir.File("folder.cfg"), "网卡配置文件打开失败！"},
                                     std::pair{dir.Write("bad.cfg", wrongTag), "网卡配置文件无效！"}}) {
        body.fill(0x5A);
        const int32_t from = list.LineCount();
        EXPECT_FALSE(Load(path));
        EXPECT_EQ(Lines{line}, ListLines(list, from));
        EXPECT_EQ(NicConfigBody{}, body) << path;
    }
}

}  // namespace
}  // namespace torvane
