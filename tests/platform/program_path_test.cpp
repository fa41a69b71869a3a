#include "platform/program_path.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::Exists;
using test::TempDir;

// A program folder, a home folder and its configuration, as laid out for a
// user who runs an installed copy.
class DefaultFilesFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir(program.c_str(), 0755);
        ::mkdir(home.c_str(), 0755);
        ::mkdir((home + "/.config").c_str(), 0755);
    }
    void TearDown() override { ::chmod(program.c_str(), 0755); }

    // The program folder as /usr/bin is for a user: no write bit for anybody,
    // so that root, who passes every access check, is covered too.
    void MakeProgramFolderReadOnly() { ASSERT_EQ(0, ::chmod(program.c_str(), 0555)); }
    void WriteUserDirs(const std::string& folder, const std::string& documents) {
        std::ofstream(folder + "/user-dirs.dirs")
            << ("# written by a desktop's set-up\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"" +
                documents + "\"\n");
    }

    TempDir dir;
    const std::string program = dir.File("bin");
    const std::string home = dir.File("home");
};

TEST_F(DefaultFilesFolderTest, KeepsAProgramFolderTheUserCanWrite) {
    WriteUserDirs(home + "/.config", "$HOME");
    EXPECT_EQ(program, ChooseFilesFolder(program, home, ""));
}

TEST_F(DefaultFilesFolderTest, AReadOnlyProgramFolderGivesTheDocumentsFolder) {
    MakeProgramFolderReadOnly();
    ::mkdir((home + "/文档").c_str(), 0755);
    WriteUserDirs(home + "/.config", "$HOME/文档/");
    EXPECT_EQ(home + "/文档", ChooseFilesFolder(program, home, ""));
}

TEST_F(DefaultFilesFolderTest, TheConfigurationFolderGivenWinsOverTheOneInHome) {
    MakeProgramFolderReadOnly();
    const std::string config = dir.File("config");
    const std::string documents = dir.File("papers");
    ::mkdir(config.c_str(), 0755);
    ::mkdir(documents.c_str(), 0755);
    WriteUserDirs(home + "/.config", "$HOME/.config");
    WriteUserDirs(config, documents);
    EXPECT_EQ(documents, ChooseFilesFolder(program, home, config));
}

TEST_F(DefaultFilesFolderTest, AMissingDocumentsFolderGivesHomeAndIsNotCreated) {
    MakeProgramFolderReadOnly();
    WriteUserDirs(home + "/.config", "$HOME/Documents");
    EXPECT_EQ(home, ChooseFilesFolder(program, home + "//", ""));
    EXPECT_FALSE(Exists(home + "/Documents"));
}

TEST_F(DefaultFilesFolderTest, KeepsTheProgramFolderWhenNoFolderCanBeWritten) {
    MakeProgramFolderReadOnly();
    EXPECT_EQ(program, ChooseFilesFolder(program, dir.File("nobody-home"), ""));
    EXPECT_EQ(program, ChooseFilesFolder(program, "relative/home", ""));
}

TEST(DocumentsFolderFromUserDirsTest, ReadsHomeRelativeAndAbsoluteLinesTheLastOneWinning) {
    EXPECT_EQ("/home/u/My \"Docs\"",
              DocumentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"", "/home/u"));
    EXPECT_EQ("/srv/docs", DocumentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/a\"\n"
                                                       "  XDG_DOCUMENTS_DIR = \"/srv/docs/\"\r\n",
                                                       "/home/u"));
    EXPECT_EQ("/home/u", DocumentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME\"", "/home/u"));
}

TEST(DocumentsFolderFromUserDirsTest, IgnoresLinesThatNameNoUsableFolder) {
    for (const char* text : {"XDG_DOCUMENTS_DIR=\"Documents\"",          // relative
                             "XDG_DOCUMENTS_DIR=\"$HOME/Documents",      // cut before its quote
                             "XDG_DOCUMENTS_DIR=\"$HOMEDocuments\"",     // not $HOME
                             "XDG_DOCUMENTS_DIRS=\"/srv/docs\"",         // another key
                             "# XDG_DOCUMENTS_DIR=\"/srv/docs\"",        // a comment
                             "XDG_DOCUMENTS_DIR=/srv/docs", ""}) {
        EXPECT_EQ(std::nullopt, DocumentsFolderFromUserDirs(text, "/home/u")) << text;
    }
    // "$HOME" with no home to put there would be taken from the root folder.
    EXPECT_EQ(std::nullopt, DocumentsFolderFromUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Documents\"", ""));
    EXPECT_EQ(std::nullopt, DocumentsFolderFromUserDirs(std::string_view("XDG_DOCUMENTS_DIR=\"/a\0b\"", 24), "/h"));
}

}  // namespace
}  // namespace torvane
