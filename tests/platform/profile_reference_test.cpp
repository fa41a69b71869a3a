// Our profile-file reader against the system's own (Windows build only): the
// same hand-written project files, read both ways, give the same answers.
#include <windows.h>
// windows.h names its ANSI/wide pairs by macros; ours carry the same names.
#undef GetProfileInt
#undef GetProfileSectionNames
#undef GetProfileString
#undef WriteProfileString

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/profile.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::TempDir;

std::wstring Wide(const std::string& utf8) { return test::FsPath(utf8).wstring(); }
std::string Utf8(const std::wstring& wide) { return test::Utf8Path(std::filesystem::path(wide)); }

std::string SystemString(const std::string& section, const std::string& key, const std::string& fallback,
                         uint32_t room, const std::string& path) {
    std::wstring buffer(room + 1, L'\0');
    const DWORD n = ::GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(fallback).c_str(),
                                               buffer.data(), room, Wide(path).c_str());
    return Utf8(buffer.substr(0, n));
}

int32_t SystemInt(const std::string& section, const std::string& key, int32_t fallback, const std::string& path) {
    return static_cast<int32_t>(
        ::GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(), fallback, Wide(path).c_str()));
}

SectionNameList SystemSectionNames(const std::string& path, uint32_t room) {
    std::wstring buffer(room + 2, L'\0');
    const DWORD n = ::GetPrivateProfileSectionNamesW(buffer.data(), room, Wide(path).c_str());
    SectionNameList list;
    list.result = n;
    for (size_t at = 0; at < n && buffer[at] != L'\0';) {
        const size_t end = buffer.find(L'\0', at);
        list.names.push_back(Utf8(buffer.substr(at, end - at)));
        at = end + 1;
    }
    return list;
}

class ProfileReferenceTest : public ::testing::Test {
protected:
    // Every key asked of every section, with room for 128 and for 4
    // characters, as string and as integer.
    void ExpectSameAnswers(const std::string& path, const std::vector<std::string>& sections,
                           const std::vector<std::string>& keys) {
        for (const std::string& section : sections) {
            for (const std::string& key : keys) {
                for (const uint32_t room : {128u, 4u}) {
                    EXPECT_EQ(SystemString(section, key, "dflt", room, path),
                              GetProfileString(section, key, "dflt", room, path))
                        << "[" << section << "] " << key << " room " << room;
                }
                EXPECT_EQ(SystemInt(section, key, -1, path), GetProfileInt(section, key, -1, path))
                    << "[" << section << "] " << key;
            }
        }
        for (const uint32_t room : {100u, 12u}) {
            const SectionNameList system = SystemSectionNames(path, room);
            const SectionNameList ours = GetProfileSectionNames(path, room);
            EXPECT_EQ(system.result, ours.result) << "room " << room;
            EXPECT_EQ(system.names, ours.names) << "room " << room;
        }
    }

    TempDir dir;
};

TEST_F(ProfileReferenceTest, AnExportedProjectReadsAlike) {
    const std::string p = dir.Write("export.ini",
                                    "[FileInfo1]\r\nFileName=C:\\fw\\app.hex\r\nFileNo=1\r\nFileType=1\r\n"
                                    "FileSize=40960\r\nBINOffset=00000000\r\nPolishType=2\r\nPolishData=0\r\n"
                                    "OffsetAddr=08000000\r\nIsSaveOffsetData=1\r\n"
                                    "[FileInfo3]\r\nFileName=C:\\fw\\boot.bin\r\nFileNo=3\r\nFileSize=512\r\n");
    ExpectSameAnswers(p, {"FileInfo1", "FileInfo3", "FileInfo2"},
                      {"FileName", "FileNo", "FileType", "FileSize", "BINOffset", "PolishType", "PolishData",
                       "OffsetAddr", "IsSaveOffsetData", "Missing"});
}

TEST_F(ProfileReferenceTest, CaseBlanksQuotesAndCommentsReadAlike) {
    const std::string p = dir.Write("hand.ini",
                                    "; a project written by hand\r\n"
                                    "[fileinfo1]\r\n"
                                    "  FileName  =  C:\\fw\\app.hex   \r\n"
                                    "FILESIZE=\t40960\t\r\n"
                                    "PolishType=\"2\"\r\n"
                                    "PolishData='1'\r\n"
                                    "Half=\"x\r\n"
                                    "Inner=a\"b\"\r\n"
                                    "Empty=\r\n"
                                    "Blank=   \r\n"
                                    "; PolishType=3\r\n"
                                    "Semi=a;b\r\n"
                                    "  [ FileInfo2 ]  \r\n"
                                    "FileSize=-7\r\n"
                                    "FileNo=+12abc\r\n"
                                    "OffsetAddr=0010\r\n"
                                    "Big=4294967297\r\n"
                                    "no equals sign here\r\n"
                                    "=no key\r\n");
    // The names asked are the program's: no blanks around them, never empty.
    ExpectSameAnswers(p, {"FileInfo1", "FILEINFO1", "FileInfo2"},
                      {"FileName", "filename", "FileSize", "PolishType", "PolishData", "Half", "Inner", "Empty",
                       "Blank", "Semi", "FileNo", "OffsetAddr", "Big", "no equals sign here"});
}

// Where the two differ on purpose: the system's integer reader also takes
// "0x" hexadecimal (and, in some versions, other prefixes); the import reads
// integers as decimal, the digits up to the first other character.
TEST_F(ProfileReferenceTest, IntegersAreDecimalWhateverThePrefix) {
    const std::string p = dir.Write("hex.ini", "[FileInfo1]\r\nPolishType=0x1\r\nPolishData=0x0F\r\n");
    EXPECT_EQ(0, GetProfileInt("FileInfo1", "PolishType", -1, p));
    EXPECT_EQ(0, GetProfileInt("FileInfo1", "PolishData", -1, p));
    EXPECT_EQ(SystemString("FileInfo1", "PolishType", "", 128, p), GetProfileString("FileInfo1", "PolishType", "", 128, p));
}

TEST_F(ProfileReferenceTest, DuplicatesLongValuesAndLineEndsReadAlike) {
    const std::string longValue(300, 'L');
    const std::string p = dir.Write("dup.ini",
                                    "[FileInfo1]\nFileSize=1\nFileSize=2\nLong=" + longValue +
                                        "\n[FileInfo2]\r\nFileSize=20\r\n"
                                        "[FileInfo1]\nFileSize=3\nOther=4\n"
                                        "[FileInfo4]");
    ExpectSameAnswers(p, {"FileInfo1", "FileInfo2", "FileInfo4"}, {"FileSize", "Long", "Other"});
}

TEST_F(ProfileReferenceTest, AMissingFileReadsAlike) {
    ExpectSameAnswers(dir.File("none.ini"), {"FileInfo1"}, {"FileName"});
}

TEST_F(ProfileReferenceTest, TheCodePageAndAUtf16MarkReadAlike) {
    // The system reads in the ANSI code page: ours must be that one too.
    ASSERT_TRUE(SetCodePage(""));
    const std::string name = ToCodePage("C:\\固件\\app.hex");
    const std::string ansi = dir.Write("ansi.ini", "[FileInfo1]\r\nFileName=" + name + "\r\n");
    ExpectSameAnswers(ansi, {"FileInfo1"}, {"FileName"});
    std::string utf16 = "\xFF\xFE";
    for (const wchar_t c : std::wstring(L"[FileInfo1]\r\nFileName=C:\\\x56FA\x4EF6\\app.hex\r\n")) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    ExpectSameAnswers(dir.Write("utf16.ini", utf16), {"FileInfo1"}, {"FileName"});
}

// Wine rewrites the whole file and drops its blank lines, which ours keep:
// the file written to here has none.
TEST_F(ProfileReferenceTest, WritesGiveTheSameFile) {
    const std::string start = "[FileInfo1]\r\nFileName=C:\\fw\\app.hex\r\nFileNo=1\r\n[FileInfo3]\r\nFileNo=3\r\n";
    const std::string ours = dir.Write("ours.ini", start);
    const std::string system = dir.Write("system.ini", start);
    const std::vector<std::vector<std::string>> writes = {
        {"FileInfo1", "FileNo", "2"}, {"FileInfo1", "FileSize", "512"}, {"fileinfo3", "PolishType", "1"},
        {"FileInfo5", "FileName", "C:\\fw\\boot.bin"}, {"FileInfo5", "FileNo", "5"}};
    for (const std::vector<std::string>& w : writes) {
        EXPECT_TRUE(WriteProfileString(w[0], w[1], w[2], ours));
        EXPECT_TRUE(::WritePrivateProfileStringW(Wide(w[0]).c_str(), Wide(w[1]).c_str(), Wide(w[2]).c_str(),
                                                 Wide(system).c_str()));
    }
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, Wide(system).c_str());  // flushes the system's cache
    EXPECT_EQ(test::ReadText(system), test::ReadText(ours));
}

}  // namespace
}  // namespace torvane
