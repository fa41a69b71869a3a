#include "tools/stamp/stamp_tool.h"

#include <gtest/gtest.h>

#include "platform/format.h"
#include "platform/program_path.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ReadBytes;
using test::TempDir;

class StampToolTest : public ::testing::Test {
protected:
    void SetUp() override { image = dir.Write("app.bin", "123456789"); }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }
    StampInputs Inputs(const std::string& output, const char* field = "crc32@C:0-8") {
        StampInputs in;
        in.input = image;
        in.output = output;
        in.field = *ParseFieldSpec(field);
        return in;
    }

    test::ScriptedPrompts prompts;
    TempDir dir;
    std::string image;
};

TEST_F(StampToolTest, WritesTheFieldAndShowsTheValue) {
    const std::string out = dir.File("app_crc.bin");
    prompts.ExpectBox(Format(kStampDoneFormat, out.c_str()), ApplicationName(), Answer::Ok, MessageButtons::Ok,
                      MessageIcon::Information);
    EXPECT_EQ("CBF43926", RunStampTool(Inputs(out), prompts));
    // The gap before the field takes the fill byte; the value is little-endian.
    EXPECT_EQ((std::vector<uint8_t>{'1', '2', '3', '4', '5', '6', '7', '8', '9', 0xFF, 0xFF, 0xFF, 0x26, 0x39, 0xF4,
                                    0xCB}),
              ReadBytes(out));
    EXPECT_EQ("CBF43926", FieldCheckText(*ParseFieldSpec("crc32@0:0-0")));
}

TEST_F(StampToolTest, AnOutputThatIsTheInputIsAskedAboutAndNoKeepsIt) {
    prompts.ExpectBox(kStampOntoInputMessage, kStampCaption, Answer::No, MessageButtons::YesNo);
    EXPECT_FALSE(RunStampTool(Inputs(image), prompts));
    EXPECT_EQ(9u, ReadBytes(image).size());
    prompts.ExpectBox(kStampOntoInputMessage, kStampCaption, Answer::Yes, MessageButtons::YesNo);
    prompts.ExpectBox(Format(kStampDoneFormat, image.c_str()), ApplicationName());
    EXPECT_TRUE(RunStampTool(Inputs(image), prompts));
    EXPECT_EQ(16u, ReadBytes(image).size());
}

TEST_F(StampToolTest, RefusalsWriteNothing) {
    const std::string out = dir.File("out.bin");
    StampInputs in = Inputs(out);
    in.input.clear();
    prompts.ExpectNotice(kStampNoInputMessage);
    EXPECT_FALSE(RunStampTool(in, prompts));
    in = Inputs(out);
    in.fillText = "100";
    prompts.ExpectNotice(Format(kStampBadNumberFormat, "填充数据", 2));
    EXPECT_FALSE(RunStampTool(in, prompts));
    // A field inside its own range, and an image that cannot be read.
    prompts.ExpectNotice(kStampFailedMessage);
    EXPECT_FALSE(RunStampTool(Inputs(out, "crc32@4:0-8"), prompts));
    EXPECT_NE(std::string::npos, prompts.reasons.back().reason.find("inside its own range"));
    // A field that would grow the image by more than 64 MiB, refused at once.
    prompts.ExpectNotice(kStampFailedMessage);
    EXPECT_FALSE(RunStampTool(Inputs(out, "crc32@10000000:0-8"), prompts));
    EXPECT_NE(std::string::npos, prompts.reasons.back().reason.find("more than 64 MiB"));
    in = Inputs(out);
    in.input = dir.Write("bad.hex", ":0100000041BE\n");
    prompts.ExpectNotice(kStampFailedMessage);
    EXPECT_FALSE(RunStampTool(in, prompts));
    EXPECT_FALSE(test::Exists(out));
}

// Made absolute, "app.bin/" would name the image itself.
TEST_F(StampToolTest, AnOutputNameEndingInASeparatorIsRefusedAndTheImageKept) {
    prompts.ExpectNotice(kStampFailedMessage);
    EXPECT_FALSE(RunStampTool(Inputs(image + "/"), prompts));
    EXPECT_NE(std::string::npos, prompts.reasons.back().reason.find("names a folder")) << prompts.reasons.back().reason;
    EXPECT_EQ(9u, ReadBytes(image).size());
}

TEST(CustomCrcFieldTest, ACustomModelComputesAsTheCatalogueDefinesItAndReadsBack) {
    // CRC-16/T10-DIF is no preset; its catalogue check value is D0DB.
    const std::optional<FieldSpec> dif = ParseFieldSpec("crc/16/8BB7/0/0/0/0@10:0-F");
    ASSERT_TRUE(dif);
    EXPECT_EQ("D0DB", FieldCheckText(*dif));
    EXPECT_EQ(2u, dif->Width());
    EXPECT_EQ("crc/16/8BB7/0/0/0/0@10:0-F", FieldSpecText(*dif));
    // The model of a preset gives the preset's value.
    EXPECT_EQ(FieldCheckText(*ParseFieldSpec("crc16-ccitt-false@0:0-0")),
              FieldCheckText(*ParseFieldSpec("CRC/16/1021/FFFF/0/0/0@0:0-0")));
    std::string why;
    for (const char* bad : {"crc/16/8BB7/0/0/0@0:0-0", "crc/7/5/0/0/0/0@0:0-0", "crc/16/8BB6/0/0/0/0@0:0-0",
                            "crc/16/18BB7/0/0/0/0@0:0-0", "crc/16/8BB7/0/2/0/0@0:0-0"})
        EXPECT_FALSE(ParseFieldSpec(bad, &why)) << bad;
}

TEST_F(StampToolTest, TheOutputDialogProposesTheImagesNameBesideIt) {
    prompts.ExpectSave(std::nullopt);
    BrowseStampOutput(prompts, "/fw/app.hex");
    EXPECT_EQ("app_crc.hex", prompts.saveDialogs.back().proposedName);
}

}  // namespace
}  // namespace torvane
