#include "tools/serialize/serialize_tool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/config_file.h"
#include "core/workspace.h"
#include "checks/crc.h"
#include "checks/sha256.h"
#include "platform/format.h"
#include "platform/profile.h"
#include "platform/program_path.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "tools/serialize/serial_project.h"

namespace torvane {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::TempDir;

class SerializeToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> data(0x1000);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13 + 7);
        image = dir.Write("tmpl.bin", data);
        test::MakeFolder(dir.File("out"));
    }

    // 3 images from serial 100 at 0x10, a CRC-32 at the end over the rest.
    SerializeRequest Request(uint64_t count = 3) {
        SerializeRequest r;
        r.settings.templatePath = image;
        r.settings.serial = *ParseSerialPlace("10:u32");
        r.settings.fields = {*ParseFieldSpec("crc32@FFC:0-FFB")};
        r.settings.pattern = dir.File("out/dev_{serial}.bin");
        r.settings.manifest = dir.File("m.csv");
        r.first = 100;
        r.count = count;
        return r;
    }

    std::unique_ptr<SerialBatch> Plan(const SerializeRequest& r) {
        problem.clear();
        return SerialBatch::Plan(r, problem);
    }

    bool Run(const SerializeRequest& r) {
        std::unique_ptr<SerialBatch> batch = Plan(r);
        if (!batch) return false;
        const bool ok = RunSerialBatch(*batch);
        if (!ok) problem = batch->reason();
        return ok;
    }

    size_t FilesIn(const std::string& folder) {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(test::FsPath(folder)))
            n += e.is_regular_file() ? 1 : 0;
        return n;
    }

    TempDir dir;
    std::string image;
    std::string problem;
};

TEST_F(SerializeToolTest, EachImageHoldsItsNumberAndACrcComputedOverIt) {
    ASSERT_TRUE(Run(Request())) << problem;
    const std::vector<uint8_t> tmpl = ReadBytes(image);
    for (uint32_t n = 100; n < 103; ++n) {
        const std::vector<uint8_t> out = ReadBytes(dir.File(Format("out/dev_%u.bin", n)));
        ASSERT_EQ(tmpl.size(), out.size());
        EXPECT_EQ((std::vector<uint8_t>{static_cast<uint8_t>(n), 0, 0, 0}),
                  std::vector<uint8_t>(out.begin() + 0x10, out.begin() + 0x14));
        EXPECT_TRUE(std::equal(out.begin() + 0x14, out.begin() + 0xFFC, tmpl.begin() + 0x14));
        const uint32_t crc = static_cast<uint32_t>(ComputeCrc(*FindCrcPreset("crc32"), std::span(out).first(0xFFC)));
        EXPECT_EQ(crc, static_cast<uint32_t>(out[0xFFC] | out[0xFFD] << 8 | out[0xFFE] << 16 | out[0xFFF] << 24));
    }
}

TEST_F(SerializeToolTest, TheManifestHasALinePerImageThatMatchesItsFile) {
    SerializeRequest r = Request();
    r.settings.macAt = 0x20;
    r.first = 7;
    r.macFirst = 0x0011223344FEull;
    ASSERT_TRUE(Run(r)) << problem;
    const std::optional<ManifestContent> m = ParseManifest(ReadBytes(dir.File("m.csv")));
    ASSERT_TRUE(m);
    ASSERT_EQ(3u, m->records.size());
    const std::string text = ReadText(dir.File("m.csv"));
    EXPECT_EQ(0u, text.find("serial,mac,file,size,CRC-32/ISO-HDLC@FFC:0-FFB,sha256\r\n")) << text;
    for (uint64_t i = 0; i < 3; ++i) {
        const std::string file = dir.File(Format("out/dev_%llu.bin", static_cast<unsigned long long>(7 + i)));
        const std::vector<uint8_t> bytes = ReadBytes(file);
        EXPECT_EQ(7 + i, m->records[i].serial);
        EXPECT_EQ(0x0011223344FEull + i, m->records[i].mac);
        EXPECT_NE(std::string::npos, text.find(file + ",4096,")) << text;
        EXPECT_NE(std::string::npos, text.find(Sha256Text(ComputeSha256(bytes)))) << file;
        // The MAC's bytes in the order sent: 00 11 22 33 44 FE, then ...FF, then 45 00.
        EXPECT_EQ(MacBytes(0x0011223344FEull + i)[5], bytes[0x25]);
    }
    EXPECT_NE(std::string::npos, text.find("00:11:22:33:45:00")) << text;
}

TEST_F(SerializeToolTest, ANumberTooWideForItsPlaceIsRefusedWithNothingWritten) {
    SerializeRequest r = Request(10);
    r.settings.serial = *ParseSerialPlace("10:u8");
    r.first = 250;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("serial number 259 does not fit 10:u8, which holds at most 255", problem);
    r.settings.serial = *ParseSerialPlace("10:dec:2");
    r.first = 95;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("serial number 104 does not fit 10:dec:2, which holds at most 99", problem);
    r.settings.serial = *ParseSerialPlace("10:u32");
    r.settings.macAt = 0x20;
    r.macFirst = 0xFFFFFFFFFFF8ull;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("the MAC addresses from FF:FF:FF:FF:FF:F8 by 1 would pass FF:FF:FF:FF:FF:FF after 8 images", problem);
    // The last one may be FF:FF:FF:FF:FF:FF, but the project would have no next MAC to keep.
    r.macFirst = 0xFFFFFFFFFFF6ull;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("the MAC addresses would reach FF:FF:FF:FF:FF:FF and leave no next one", problem);
    EXPECT_FALSE(Run(r));
    EXPECT_EQ(0u, FilesIn(dir.File("out")));
    EXPECT_FALSE(test::Exists(dir.File("m.csv")));
}

TEST_F(SerializeToolTest, PlacesAreCheckedAgainstTheImageAndTheFields) {
    struct Case {
        const char* serial;
        const char* field;
        std::optional<uint32_t> mac;
        const char* reason;
    };
    const Case cases[] = {
        {"FFC:u32", "crc32@FFC:0-FFB", std::nullopt,
         "the field CRC-32/ISO-HDLC@FFC:0-FFB would be written over the serial number at 0x00000FFC"},
        {"10:u32", "crc32@FFC:0-FFB", 0xFFA,
         "the field CRC-32/ISO-HDLC@FFC:0-FFB would be written over the MAC address at 0x00000FFA"},
        {"10:u64", "crc32@FFC:0-FFB", 0x14,
         "the serial number at 0x00000010 and the MAC address at 0x00000014 overlap"},
        {"FFFFFFFE:u32", "crc32@FFC:0-FFB", std::nullopt,
         "the serial number at 0xFFFFFFFE reaches past 0xFFFFFFFF, the end of what the image may hold"},
        {"8000000:u32", "crc32@FFC:0-FFB", std::nullopt,
         "the serial number at 0x08000000 would make the image grow by more than 64 MiB"},
    };
    for (const Case& c : cases) {
        SerializeRequest r = Request();
        r.settings.serial = *ParseSerialPlace(c.serial);
        r.settings.fields = {*ParseFieldSpec(c.field)};
        r.settings.macAt = c.mac;
        EXPECT_FALSE(Plan(r)) << c.serial;
        EXPECT_EQ(c.reason, problem);
    }
    // Below a BIN template's base, and a field that stamp would refuse.
    SerializeRequest r = Request();
    r.settings.base = 0x8000000;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("the serial number at 0x00000010 lies below the image's first address 0x08000000", problem);
    r = Request();
    r.settings.fields = {*ParseFieldSpec("crc32@FF0:0-FFB")};
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ(image + ": CRC-32/ISO-HDLC@FF0:0-FFB lies inside its own range", problem);
    // A field may cover the serial; one past the end grows the image with the fill byte.
    r = Request(1);
    r.settings.serial = *ParseSerialPlace("1004:u16:be");
    r.settings.fields = {*ParseFieldSpec("crc16-ccitt-false@1008:0-1007")};
    ASSERT_TRUE(Run(r)) << problem;
    const std::vector<uint8_t> out = ReadBytes(dir.File("out/dev_100.bin"));
    ASSERT_EQ(0x100Au, out.size());
    EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 100, 0xFF, 0xFF}),
              std::vector<uint8_t>(out.begin() + 0x1000, out.begin() + 0x1008));
}

TEST_F(SerializeToolTest, NamesMustDifferAndExistingFilesStayUnlessForced) {
    SerializeRequest r = Request();
    r.settings.pattern = dir.File("out/dev.bin");
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("the output name " + dir.File("out/dev.bin") +
                  " holds no {serial}, {serial:hex} or {mac}: every image would have the same name",
              problem);
    r = Request();
    r.settings.pattern = dir.File("out/{mac}.bin");
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("the output name uses {mac}, but no MAC address is written", problem);
    r = Request();
    r.settings.pattern = dir.File("none/{serial}.bin");
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("the folder " + dir.File("none") + " does not exist", problem);

    dir.Write("out/dev_101.bin", "older");
    r = Request();
    r.settings.manifest.clear();
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ(dir.File("out/dev_101.bin") + " exists (serial number 101); give --force to replace it", problem);
    r.force = true;
    ASSERT_TRUE(Run(r)) << problem;
    EXPECT_EQ(0x1000u, ReadBytes(dir.File("out/dev_101.bin")).size());
    // Never the template, nor the manifest.
    r.settings.pattern = image;
    r.count = 1;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ(image + " would replace " + image + ", a file of this run", problem);
    r.settings.pattern = dir.File("m.csv");
    r.settings.manifest = dir.File("m.csv");
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ(dir.File("m.csv") + " would replace " + dir.File("m.csv") + ", a file of this run", problem);
}

TEST_F(SerializeToolTest, ARecordedNumberOrMacIsRefusedUnlessReuseIsAllowed) {
    ASSERT_TRUE(Run(Request())) << problem;
    SerializeRequest r = Request();
    r.first = 102;
    r.settings.pattern = dir.File("out/again_{serial}.bin");
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ("serial number 102 is recorded already in " + dir.File("m.csv") +
                  " (line 4); give --allow-reuse to issue it again",
              problem);
    r.allowReuse = true;
    ASSERT_TRUE(Run(r)) << problem;
    EXPECT_EQ(6u, ParseManifest(ReadBytes(dir.File("m.csv")))->records.size());
    // Other columns: another manifest.
    r.settings.fields.clear();
    r.first = 500;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ(dir.File("m.csv") +
                  ": its columns are serial | mac | file | size | CRC-32/ISO-HDLC@FFC:0-FFB | sha256; "
                  "this run writes serial | mac | file | size | sha256: name another manifest",
              problem);
}

TEST_F(SerializeToolTest, AContinuedRunStartsAfterTheNumbersRecordedPastTheProjectsNext) {
    // A run stopped after 100..102 were recorded, before the project said 103.
    ASSERT_TRUE(Run(Request())) << problem;
    SerializeRequest r = Request(2);
    r.continueAfterRecorded = true;
    std::unique_ptr<SerialBatch> batch = Plan(r);
    ASSERT_TRUE(batch) << problem;
    EXPECT_EQ(103u, batch->plan().first);
    EXPECT_EQ(3u, batch->plan().skipped);
    ASSERT_EQ(1u, batch->plan().notes.size());
    ASSERT_TRUE(RunSerialBatch(*batch));
    EXPECT_EQ(105u, batch->NextNumber());
    std::vector<uint64_t> serials;
    const std::optional<ManifestContent> m = ParseManifest(ReadBytes(dir.File("m.csv")));
    ASSERT_TRUE(m);
    for (const ManifestRecord& rec : m->records) serials.push_back(rec.serial);
    EXPECT_EQ((std::vector<uint64_t>{100, 101, 102, 103, 104}), serials);
}

TEST_F(SerializeToolTest, AnImageLeftWholeBeforeItsLineIsRecordedNotWrittenAgain) {
    ASSERT_TRUE(Run(Request(2))) << problem;
    // The run that wrote 102 ended before its line: the image is there, whole.
    const std::string manifest = ReadText(dir.File("m.csv"));
    SerializeRequest r = Request(2);
    r.first = 102;
    ASSERT_TRUE(Run(r)) << problem;
    const auto stamp = std::filesystem::last_write_time(test::FsPath(dir.File("out/dev_102.bin")));
    std::filesystem::remove(test::FsPath(dir.File("m.csv")));
    dir.Write("m.csv", manifest);
    r.first = 102;
    r.count = 3;
    std::unique_ptr<SerialBatch> batch = Plan(r);
    ASSERT_TRUE(batch) << problem;
    EXPECT_EQ(2u, batch->plan().adopted);
    ASSERT_TRUE(RunSerialBatch(*batch)) << batch->reason();
    EXPECT_EQ(stamp, std::filesystem::last_write_time(test::FsPath(dir.File("out/dev_102.bin"))));
    EXPECT_EQ(5u, ParseManifest(ReadBytes(dir.File("m.csv")))->records.size());
    // An image that is not what this run writes is no leftover.
    dir.Write("out/dev_105.bin", "something else");
    r.first = 105;
    r.count = 1;
    EXPECT_FALSE(Plan(r));
    EXPECT_EQ(dir.File("out/dev_105.bin") + " exists (serial number 105); give --force to replace it", problem);
}

TEST_F(SerializeToolTest, AManifestLineCutShortIsDroppedAndItsImageRecordedAgain) {
    ASSERT_TRUE(Run(Request(2))) << problem;
    std::string text = ReadText(dir.File("m.csv"));
    const size_t last = text.rfind("101,");
    text.resize(last + 20);  // the append of 101 stopped half-way
    std::filesystem::remove(test::FsPath(dir.File("m.csv")));
    dir.Write("m.csv", text);
    SerializeRequest r = Request(2);
    r.first = 101;
    std::unique_ptr<SerialBatch> batch = Plan(r);
    ASSERT_TRUE(batch) << problem;
    EXPECT_EQ(1u, batch->plan().adopted);
    ASSERT_TRUE(RunSerialBatch(*batch)) << batch->reason();
    const std::optional<ManifestContent> m = ParseManifest(ReadBytes(dir.File("m.csv")));
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->cutAt);
    ASSERT_EQ(3u, m->records.size());
    EXPECT_EQ(101u, m->records[1].serial);
}

TEST_F(SerializeToolTest, TheWindowsRunAsksWithTheFirstAndLastNamesAndSaysWhatItIssued) {
    test::ScriptedPrompts prompts;
    SerializeInputs in;
    in.templatePath = image;
    in.serialAtText = "10";
    in.kind = SerialKind::Decimal;
    in.digits = 6;
    in.firstText = "0x10";
    in.countText = "2";
    in.fields = {*ParseFieldSpec("crc32@FFC:0-FFB")};
    in.folder = dir.File("out");
    in.name = "sn{serial:hex}.hex";
    const std::string first = dir.File("out/sn10.hex");
    const std::string last = dir.File("out/sn11.hex");
    prompts.ExpectBox("将生成2个映像：\n序列号：16 至 17\n第一个文件：" + first + "\n最后一个文件：" + last +
                          "\n没有记录文件：不检查序列号是否已使用过。\n\n是否开始？",
                      kSerializeCaption, Answer::Yes, MessageButtons::YesNo, MessageIcon::Question);
    std::unique_ptr<SerialBatch> batch = StartSerializeTool(in, prompts);
    ASSERT_TRUE(batch);
    ASSERT_TRUE(RunSerialBatch(*batch));
    // The digits 000017 at 0x10.
    EXPECT_NE(std::string::npos, ReadText(last).find(":10001000303030303137")) << ReadText(last);
    prompts.ExpectBox("已生成2个映像，序列号：16 至 17。", ApplicationName(), Answer::Ok, MessageButtons::Ok,
                      MessageIcon::Information);
    ShowSerializeSummary(*batch, false, prompts);
    // Inputs checked in their order, each said in a box.
    in.serialAtText = "";
    prompts.ExpectNotice(Format(kSerializeBadHexFormat, "序列号地址", 8));
    EXPECT_FALSE(StartSerializeTool(in, prompts));
    in.serialAtText = "10";
    in.countText = "";
    prompts.ExpectNotice(Format(kSerializeBadNumberFormat, "数量"));
    EXPECT_FALSE(StartSerializeTool(in, prompts));
    in.countText = "2";
    prompts.ExpectNotice(kSerializeRefusedMessage);
    EXPECT_FALSE(StartSerializeTool(in, prompts));
    EXPECT_EQ(first + " exists (serial number 16); give --force to replace it", prompts.reasons.back().reason);
    EXPECT_TRUE(prompts.Done());
}

// ---- the project ----

TEST(SerialProjectTest, SettingsReadBackAsTheyWereKept) {
    TempDir dir;
    SerialProject p;
    SerializeSettings& s = p.settings;
    s.templatePath = dir.File("tmpl.hex");
    s.base = 0x8000000;
    s.fill = 0;
    s.serial = *ParseSerialPlace("7FF0:u32:be");
    s.step = 2;
    s.macAt = 0x7FE0;
    s.macStep = 3;
    s.fields = {*ParseFieldSpec("crc32@7FFC:0-7FFB"), *ParseFieldSpec("sha256@8000:0-7FFF")};
    s.pattern = dir.File("dev_{serial}.hex");
    s.manifest = dir.File("m.csv");
    p.next = 1000;
    p.macNext = 0x001122334455ull;
    ProfileDocument doc;
    ASSERT_FALSE(PutSerialProject(doc, p));
    EXPECT_EQ(0u, doc.Text().find("[FileInfo1]\r\nSerialTemplate=" + dir.File("tmpl.hex") + "\r\n")) << doc.Text();
    std::string why;
    const std::optional<SerialProject> back = ReadSerialProject(doc, dir.path(), why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(1000u, back->next);
    EXPECT_EQ(0x001122334455ull, back->macNext);
    EXPECT_EQ("7FF0:u32:be", SerialPlaceText(back->settings.serial));
    EXPECT_EQ(0x8000000u, back->settings.base);
    EXPECT_EQ(0u, back->settings.fill);
    EXPECT_EQ(2u, back->settings.step);
    EXPECT_EQ(3u, back->settings.macStep);
    EXPECT_EQ(0x7FE0u, back->settings.macAt);
    ASSERT_EQ(2u, back->settings.fields.size());
    EXPECT_EQ("sha256@8000:0-7FFF", FieldSpecText(back->settings.fields[1]));
    EXPECT_EQ(dir.File("m.csv"), back->settings.manifest);
    // Fewer fields later: the older keys go.
    p.settings.fields.resize(1);
    p.settings.macAt.reset();
    ASSERT_FALSE(PutSerialProject(doc, p));
    EXPECT_EQ(std::string::npos, doc.Text().find("SerialField2")) << doc.Text();
    EXPECT_EQ(std::string::npos, doc.Text().find("SerialMac")) << doc.Text();
}

TEST(SerialProjectTest, AValueTooLongIsRefusedBeforeAnythingChangesAndNeverCut) {
    TempDir dir;
    SerialProject p;
    p.settings.templatePath = dir.File(std::string(130, 'a') + ".bin");
    p.settings.pattern = dir.File("{serial}.bin");
    ProfileDocument doc;
    const std::optional<std::string> refusal = PutSerialProject(doc, p);
    ASSERT_TRUE(refusal);
    EXPECT_NE(std::string::npos, refusal->find("SerialTemplate=" + p.settings.templatePath +
                                               " cannot be kept in a "
                                               "project: it has "))
        << *refusal;
    EXPECT_NE(std::string::npos, refusal->find("characters, more than the 127 a project value may have")) << *refusal;
    EXPECT_TRUE(doc.Text().empty());
    // A hand-written value longer than the reader takes is refused, not cut.
    const std::string text = "[FileInfo1]\r\nSerialTemplate=/" + std::string(130, 'a') +
                             "\r\nSerialAt=0:u8\r\nSerialNext=1\r\nSerialOutput=/o/{serial}.bin\r\n";
    const ProfileDocument hand = ProfileDocument::Parse(std::vector<uint8_t>(text.begin(), text.end()));
    std::string why;
    EXPECT_FALSE(ReadSerialProject(hand, "/", why));
    EXPECT_EQ("[FileInfo1] SerialTemplate holds 131 characters, more than the 127 a project value may have", why);
}

TEST(SerialProjectTest, AKeyItDoesNotKnowOrAGapInTheFieldsIsRefused) {
    for (const char* extra : {"SerialCount=5\r\n", "SerialField2=crc32@0:0-0\r\n", "SerialAt=0:u9\r\n"}) {
        const std::string text = std::string("[FileInfo1]\r\nSerialTemplate=/t.bin\r\n") + extra +
                                 "SerialAt=0:u8\r\nSerialNext=1\r\nSerialOutput=/o/{serial}.bin\r\n";
        std::string why;
        EXPECT_FALSE(
            ReadSerialProject(ProfileDocument::Parse(std::vector<uint8_t>(text.begin(), text.end())), "/", why))
            << extra;
        EXPECT_FALSE(why.empty()) << extra;
    }
}

TEST(SerialProjectTest, TheWindowsExportKeepsTheSerialKeysOfTheFileItReplaces) {
    TempDir dir;
    const std::string project = dir.File("p.ini");
    const std::string bin = dir.Write("a.bin", std::string(16, 'x'));
    // The serialiser's project, written where the window will export.
    ProfileDocument doc;
    SerialProject p;
    p.settings.templatePath = bin;
    p.settings.pattern = dir.File("{serial}.bin");
    p.next = 42;
    ASSERT_FALSE(PutSerialProject(doc, p));
    ASSERT_TRUE(doc.Save(project));
    test::ScriptedPrompts prompts;
    Workspace ws(prompts);
    // Its import names no row (the section holds only the serialiser's keys).
    const ImportResult imported = ImportConfigFrom(ws, project);
    EXPECT_TRUE(imported.accepted);
    EXPECT_EQ(0, imported.named);
    prompts.ExpectOpen(bin);
    ws.rows().ChooseFile(0);
    prompts.ExpectBox(kConfigSavedMessage, "信息");
    ASSERT_TRUE(ExportConfigTo(ws, project));
    ProfileDocument after;
    ASSERT_TRUE(after.Load(project));
    std::string why;
    const std::optional<SerialProject> kept = ReadSerialProject(after, dir.path(), why);
    ASSERT_TRUE(kept) << why << after.Text();
    EXPECT_EQ(42u, kept->next);
    EXPECT_NE(std::string::npos, after.Text().find("FileName=" + bin)) << after.Text();
    EXPECT_TRUE(prompts.Done());
}

}  // namespace
}  // namespace torvane
