#include "platform/profile.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ReadText;
using test::TempDir;

TEST(ProfileWriteTest, AddsSectionsAndKeysAtTheirEnds) {
    TempDir dir;
    const std::string p = dir.File("a.ini");
    ASSERT_TRUE(WriteProfileString("One", "a", "1", p));
    ASSERT_TRUE(WriteProfileString("Two", "b", "2", p));
    ASSERT_TRUE(WriteProfileString("One", "c", "3", p));
    ASSERT_TRUE(WriteProfileString("one", "A", "4", p));  // names match without regard to case
    EXPECT_EQ("[One]\r\nA=4\r\nc=3\r\n[Two]\r\nb=2\r\n", ReadText(p));
}

TEST(ProfileWriteTest, KeyGoesAfterTheLastEntryNotAfterBlankLines) {
    TempDir dir;
    const std::string p = dir.Write("a.ini", "[S]\nx=1\n\n[T]\ny=2\n");
    ASSERT_TRUE(WriteProfileString("S", "z", "3", p));
    EXPECT_EQ("[S]\r\nx=1\r\nz=3\r\n\r\n[T]\r\ny=2\r\n", ReadText(p));
}

TEST(ProfileWriteTest, UnwritablePathFails) {
    TempDir dir;
    EXPECT_FALSE(WriteProfileString("S", "k", "v", dir.File("none/a.ini")));
    EXPECT_FALSE(WriteProfileString("S", "k", "v", dir.path()));
}

TEST(ProfileWriteTest, WritesTheCodePage) {
    TempDir dir;
    const std::string p = dir.File("gbk.ini");
    ASSERT_TRUE(SetCodePage("GBK"));
    ASSERT_TRUE(WriteProfileString("S", "FileName", "/固件/app.hex", p));
    EXPECT_EQ("[S]\r\nFileName=/\xB9\xCC\xBC\xFE/app.hex\r\n", ReadText(p));
    EXPECT_EQ("/固件/app.hex", GetProfileString("S", "FileName", "", 128, p));
    SetCodePage("");
}

TEST(ProfileReadTest, FollowsHandEditingHabits) {
    TempDir dir;
    const std::string p = dir.Write("h.ini",
                                    "; a comment\n"
                                    "  [ FileInfo1 ]  \n"
                                    "  fileNAME =  \"/fw/my app.hex\"  \r\n"
                                    ";PolishType=3\n"
                                    "PolishType = 1\n"
                                    "Quoted='x'\n"
                                    "Unbalanced=\"x\n"
                                    "[fileinfo1]\n"
                                    "Extra=1\n");
    EXPECT_EQ("/fw/my app.hex", GetProfileString("FILEINFO1", "FileName", "", 128, p));
    EXPECT_EQ(1, GetProfileInt("FileInfo1", "PolishType", -1, p));
    EXPECT_EQ("x", GetProfileString("FileInfo1", "Quoted", "", 128, p));
    EXPECT_EQ("\"x", GetProfileString("FileInfo1", "Unbalanced", "", 128, p));
    // Only the first section of a name is read.
    EXPECT_EQ("dflt", GetProfileString("FileInfo1", "Extra", "dflt", 128, p));
}

TEST(ProfileReadTest, MissingThingsGiveTheDefault) {
    TempDir dir;
    const std::string p = dir.Write("m.ini", "[S]\nEmpty=\nText=abc\nNum=-12x\nBig=4294967295\n");
    EXPECT_EQ(-1, GetProfileInt("S", "None", -1, p));
    EXPECT_EQ(-1, GetProfileInt("T", "Num", -1, p));
    EXPECT_EQ(-1, GetProfileInt("S", "Empty", -1, p));
    EXPECT_EQ(0, GetProfileInt("S", "Text", -1, p));
    EXPECT_EQ(-12, GetProfileInt("S", "Num", -1, p));
    EXPECT_EQ(-1, GetProfileInt("S", "Big", 0, p));
    EXPECT_EQ("d", GetProfileString("S", "None", "d", 128, p));
    EXPECT_EQ("", GetProfileString("S", "Empty", "d", 128, p));
    EXPECT_EQ("d", GetProfileString("S", "Text", "d", 128, dir.File("missing.ini")));
}

TEST(ProfileReadTest, StringsAreCutToTheRoom) {
    TempDir dir;
    const std::string value(200, 'v');
    const std::string p = dir.Write("c.ini", "[S]\nLong=" + value + "\nWide=" + std::string("文件文件") + "\n");
    ASSERT_TRUE(SetCodePage("UTF-8"));  // the bytes above
    EXPECT_EQ(std::string(127, 'v'), GetProfileString("S", "Long", "", 128, p));
    EXPECT_EQ("文件文", GetProfileString("S", "Wide", "", 4, p));
    SetCodePage("");
}

TEST(ProfileSectionNamesTest, ListsNamesWithTheirCharacterCount) {
    TempDir dir;
    const std::string p = dir.Write("n.ini", "[FileInfo3]\r\nx=1\r\n[FileInfo1]\r\n[Config]\r\n");
    const SectionNameList list = GetProfileSectionNames(p, 100);
    EXPECT_EQ(27u, list.result);
    EXPECT_EQ((std::vector<std::string>{"FileInfo3", "FileInfo1", "Config"}), list.names);
    EXPECT_EQ(0u, GetProfileSectionNames(dir.File("none.ini"), 100).result);
    EXPECT_EQ(0u, GetProfileSectionNames(dir.Write("e.ini", "; nothing\n"), 100).result);
}

TEST(ProfileSectionNamesTest, ACutListReportsRoomMinusTwo) {
    TempDir dir;
    std::string text;
    for (int i = 1; i <= 10; ++i) text += "[FileInfo" + std::to_string(i % 10) + "]\n";
    const std::string p = dir.Write("ten.ini", text);
    const SectionNameList list = GetProfileSectionNames(p, 100);
    EXPECT_EQ(98u, list.result);
    ASSERT_EQ(10u, list.names.size());
    EXPECT_EQ("FileInfo", list.names.back());  // 9 names of 10 characters, then 8 characters
    // Nine names fit exactly: 90 characters and the final terminator.
    const SectionNameList nine = GetProfileSectionNames(dir.Write("nine.ini", text.substr(0, 9 * 12)), 100);
    EXPECT_EQ(90u, nine.result);
}

std::string Utf16Le(std::u16string_view text) {
    std::string out;
    for (const char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

TEST(ProfileEncodingTest, AUtf16FileIsReadAsTextAndSavedInTheCodePage) {
    TempDir dir;
    const std::string unpaired = std::string("\x00\xD8", 2);  // a high surrogate alone
    const std::string p = dir.Write("w.ini", "\xFF\xFE" + Utf16Le(u"[FileInfo1]\r\nFileName=/固件/app.hex\r\n"
                                                                   u"PolishType=2\r\nBad=") +
                                                 unpaired + Utf16Le(u"x\r\n[FileInfo2]\r\n"));
    const SectionNameList list = GetProfileSectionNames(p, 100);
    EXPECT_EQ(20u, list.result);
    EXPECT_EQ((std::vector<std::string>{"FileInfo1", "FileInfo2"}), list.names);
    EXPECT_EQ("/固件/app.hex", GetProfileString("FileInfo1", "FileName", "", 128, p));
    EXPECT_EQ(2, GetProfileInt("FileInfo1", "PolishType", -1, p));
    EXPECT_EQ("\xEF\xBF\xBDx", GetProfileString("FileInfo1", "Bad", "", 128, p));

    ASSERT_TRUE(SetCodePage("GBK"));
    ProfileDocument doc;
    ASSERT_TRUE(doc.Load(p));
    doc.Set("FileInfo2", "FileNo", "2");
    ASSERT_TRUE(doc.Save(p));
    SetCodePage("");
    EXPECT_EQ("[FileInfo1]\r\nFileName=/\xB9\xCC\xBC\xFE/app.hex\r\nPolishType=2\r\nBad=?x\r\n[FileInfo2]\r\nFileNo=2\r\n",
              ReadText(p));
}

TEST(ProfileEncodingTest, AUtf8MarkIsSkippedAndTheRestReadAsUtf8) {
    TempDir dir;
    const std::string p = dir.Write("u.ini", "\xEF\xBB\xBF[FileInfo1]\nFileName=/固件/app.hex\n");
    ASSERT_TRUE(SetCodePage("GBK"));  // the mark, not the code page, says how to read it
    EXPECT_EQ((std::vector<std::string>{"FileInfo1"}), GetProfileSectionNames(p, 100).names);
    EXPECT_EQ("/固件/app.hex", GetProfileString("FileInfo1", "FileName", "", 128, p));
    SetCodePage("");
}

TEST(ProfileDocumentTest, ParsedBytesAnswerEveryLookup) {
    const std::string text = "[S]\r\nName=\"v\"\r\nNum=42\r\n[T]\r\n";
    const ProfileDocument doc =
        ProfileDocument::Parse(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    EXPECT_EQ((std::vector<std::string>{"S", "T"}), doc.SectionNames(100).names);
    EXPECT_EQ("v", doc.GetString("s", "name", "", 128));
    EXPECT_EQ(42, doc.GetInt("S", "Num", -1));
    EXPECT_EQ(-1, doc.GetInt("T", "Num", -1));
    EXPECT_EQ("[S]\r\nName=\"v\"\r\nNum=42\r\n[T]\r\n", doc.Text());
}

TEST(ProfileDocumentTest, WholeValuesAndKeyNamesForCallersThatMustNotCut) {
    const std::string longValue(200, 'v');
    const std::string text = "[S]\r\nLong=\"" + longValue + "\"\r\n; note\r\nb = 1\r\nlong=2\r\n[T]\r\nc=3\r\n[s]\r\nd=4\r\n";
    const ProfileDocument doc =
        ProfileDocument::Parse(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    EXPECT_EQ(longValue, doc.Value("S", "LONG"));
    EXPECT_EQ(longValue.substr(0, 127), doc.GetString("S", "Long", "", 128));
    EXPECT_EQ(std::nullopt, doc.Value("S", "c"));
    EXPECT_EQ(std::nullopt, doc.Value("U", "c"));
    // The first section of a name only, every key line in file order.
    EXPECT_EQ((std::vector<std::string>{"Long", "b", "long"}), doc.KeyNames("s"));
    EXPECT_EQ((std::vector<std::string>{"c"}), doc.KeyNames("T"));
    EXPECT_TRUE(doc.KeyNames("U").empty());
}

TEST(ProfileDocumentTest, RemoveTakesTheKeysLineFromTheFirstSectionOfItsName) {
    const std::string text = "[S]\r\na=1\r\n; note\r\nB=2\r\n[T]\r\nb=3\r\n[s]\r\nb=4\r\n";
    ProfileDocument doc = ProfileDocument::Parse(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    doc.Remove("s", "b");
    doc.Remove("S", "missing");
    doc.Remove("U", "a");
    EXPECT_EQ("[S]\r\na=1\r\n; note\r\n[T]\r\nb=3\r\n[s]\r\nb=4\r\n", doc.Text());
    EXPECT_EQ(std::nullopt, doc.Value("S", "B"));
    EXPECT_EQ("3", doc.Value("T", "b"));
}

TEST(ProfileDocumentTest, AFileLongerThanTheLimitIsUnreadable) {
    TempDir dir;
    const std::string p = dir.Write("big.ini", "[FileInfo1]\r\nFileName=a.hex\r\n");
    ASSERT_TRUE(test::SetFileLength(p, kProfileSizeLimit + 1));
    ReadFailure why = ReadFailure::Unreadable;
    ProfileDocument doc;
    EXPECT_FALSE(doc.Load(p, &why));
    EXPECT_EQ(ReadFailure::TooLarge, why);
    EXPECT_EQ(0u, GetProfileSectionNames(p, 100).result);
    EXPECT_EQ("d", GetProfileString("FileInfo1", "FileName", "d", 128, p));
    EXPECT_FALSE(WriteProfileString("FileInfo1", "FileNo", "1", p));
    EXPECT_EQ(kProfileSizeLimit + 1, ReadText(p).size());
}

}  // namespace
}  // namespace torvane
