#include "core/window_arguments.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(WindowArgumentsTest, FilesFillTheRowsAndAProjectIsImportedAlone) {
    const WindowArguments files = ParseWindowArguments({"a.hex", "b.bin"});
    EXPECT_EQ((std::vector<std::string>{"a.hex", "b.bin"}), files.files);
    EXPECT_EQ("", files.project);
    EXPECT_EQ("", files.error);
    const WindowArguments project = ParseWindowArguments({"fw/PROJECT.INI"});
    EXPECT_EQ("fw/PROJECT.INI", project.project);
    EXPECT_TRUE(project.files.empty());
    EXPECT_EQ("", ParseWindowArguments({}).error);
}

TEST(WindowArgumentsTest, OptionsAndTheEndOfOptions) {
    const WindowArguments a = ParseWindowArguments({"--screenshot", "shot.png", "--startup-probe", "--", "-odd.bin"});
    EXPECT_EQ("shot.png", a.screenshot);
    EXPECT_TRUE(a.startupProbe);
    EXPECT_EQ((std::vector<std::string>{"-odd.bin"}), a.files);
    EXPECT_TRUE(ParseWindowArguments({"--help"}).help);
    EXPECT_TRUE(ParseWindowArguments({"-h"}).help);
    EXPECT_TRUE(ParseWindowArguments({"--version"}).version);
    EXPECT_TRUE(ParseWindowArguments({"--print-defaults"}).printDefaults);
    EXPECT_FALSE(ParseWindowArguments({"--", "--help"}).help);
}

TEST(WindowArgumentsTest, WrongLinesSayWhy) {
    EXPECT_EQ("unknown option '--bogus'", ParseWindowArguments({"--bogus"}).error);
    EXPECT_EQ("--screenshot needs a FILE", ParseWindowArguments({"--screenshot"}).error);
    EXPECT_EQ("at most six files fill the rows", ParseWindowArguments({"1", "2", "3", "4", "5", "6", "7"}).error);
    EXPECT_NE("", ParseWindowArguments({"a.hex", "p.ini"}).error);
    EXPECT_NE("", ParseWindowArguments({""}).error);
}

TEST(WindowArgumentsTest, AProjectIsNamedByItsIniEndingInAnyCase) {
    EXPECT_TRUE(IsProjectPath("x.ini"));
    EXPECT_TRUE(IsProjectPath("X.Ini"));
    EXPECT_FALSE(IsProjectPath("ini"));
    EXPECT_FALSE(IsProjectPath("x.ini.bin"));
}

}  // namespace
}  // namespace torvane
