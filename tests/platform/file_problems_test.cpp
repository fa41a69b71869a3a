#include "platform/file_problems.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

namespace fs = std::filesystem;

// What WriteWholeFile refuses by its own checks is named in our words, also
// where root could have written it.
TEST(FileProblemTest, OurOwnRefusalsInOurOwnWords) {
    test::TempDir dir;
    const std::string file = dir.Write("ro.bin", std::string("x"));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_EQ("the file is read-only", FileProblem(file, FileUse::Write));
    EXPECT_EQ("the file is read-only", FileProblem(file, FileUse::ReadWrite));
    EXPECT_EQ("it is a folder, not a file", FileProblem(dir.path(), FileUse::Read));
#ifndef _WIN32
    // A folder's write bits are POSIX's; Windows folders take new files whatever their attribute.
    fs::create_directory(dir.File("locked"));
    fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ("its folder is read-only", FileProblem(dir.File("locked/new.bin"), FileUse::Write));
#endif
    EXPECT_EQ("no file name was given", FileProblem("", FileUse::Read));
}

// Otherwise the system's text: of the path when it shows the problem, else of
// the failure the file function left behind.
TEST(FileProblemTest, OtherwiseTheSystemsText) {
    test::TempDir dir;
    EXPECT_EQ(test::SystemText(test::SystemError::NoSuchFile), FileProblem(dir.File("none.bin"), FileUse::Read));
    EXPECT_EQ(test::SystemText(test::SystemError::NoSuchFolder),
              FileProblem(dir.File("no/such/out.bin"), FileUse::Write));
#ifndef _WIN32
    // What a failed write left behind: POSIX's full device refuses every byte.
    const char bytes[4] = {};
    ASSERT_FALSE(WriteWholeFile("/dev/full", bytes, sizeof bytes));
    EXPECT_EQ(test::SystemText(test::SystemError::NoSpace), FileProblem("/dev/full", FileUse::Write));
#endif
}

}  // namespace
}  // namespace torvane
