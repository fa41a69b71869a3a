// torvane-cli serialize and run serialize: the images against a model of
// their bytes (Python's struct and crcmod, srec_cat), the manifest against
// the files, the project's next number, and a run killed half-way.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli.h"
#include "checks/sha256.h"
#include "platform/format.h"
#include "support/temp_dir.h"
#include "tools/serialize/manifest.h"

namespace torvane::cli {
namespace {

using test::ReadBytes;
using test::ReadText;
using test::TempDir;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

Result Cli(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result r;
    r.status = Run(args, out, err);
    r.out = test::DrainStream(out);
    r.err = test::DrainStream(err);
    return r;
}

class SerializeCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string data(0x8000, '\0');
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 29 + (i >> 9));
        tmpl = dir.Write("tmpl.bin", data);
        test::MakeFolder(dir.File("out"));
    }
    std::vector<ManifestRecord> Records() {
        const std::optional<ManifestContent> m = ParseManifest(ReadBytes(dir.File("m.csv")));
        return m ? m->records : std::vector<ManifestRecord>{};
    }
    TempDir dir;
    std::string tmpl;
};

TEST_F(SerializeCommandTest, WritesTheImagesAndALinePerImage) {
    const Result r = Cli({"serialize", tmpl, "-o", dir.File("out/dev_{serial}.bin"), "--serial", "100:u32", "--from",
                          "1000", "--count", "3", "--field", "crc32@7FFC:0-7FFB", "--manifest", dir.File("m.csv")});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("serial 1000 -> " + dir.File("out/dev_1000.bin") + "\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("wrote 3 of 3 images: serial numbers 1000 to 1002\n")) << r.out;
    const std::string manifest = ReadText(dir.File("m.csv"));
    for (int n = 1000; n < 1003; ++n) {
        const std::string file = dir.File(Format("out/dev_%d.bin", n));
        const std::vector<uint8_t> bytes = ReadBytes(file);
        ASSERT_EQ(0x8000u, bytes.size());
        EXPECT_NE(std::string::npos, manifest.find(Format("%d,,%s,32768,", n, file.c_str()))) << manifest;
        EXPECT_NE(std::string::npos, manifest.find(Sha256Text(ComputeSha256(bytes)) + "\r\n")) << n;
    }
}

TEST_F(SerializeCommandTest, AWrongCommandLineIsAUsageError) {
    const std::vector<std::vector<std::string>> cases = {
        {"serialize", tmpl, "--serial", "100:u32", "--from", "1", "--count", "1"},                     // no -o
        {"serialize", tmpl, "-o", "x{serial}", "--serial", "100:u24", "--from", "1", "--count", "1"},  // no kind
        {"serialize", tmpl, "-o", "x{serial}", "--serial", "100:u32", "--from", "x", "--count", "1"},  // no number
        {"serialize", tmpl, "-o", "x{serial}", "--serial", "100:u32", "--from", "1", "--count", "0"},
        {"serialize", tmpl, "-o", "x{serial}", "--serial", "100:u32", "--from", "1", "--count", "1", "--mac", "10"},
        {"serialize", tmpl, "-o", "x{serial}", "--serial", "100:u32", "--from", "1", "--count", "1", "--mac", "10",
         "--mac-from", "00:11:22"},
        {"serialize", tmpl, "-o", "x{serial}", "--serial", "100:u32", "--from", "1", "--count", "1", "--step", "0"},
        {"serialize", tmpl, "-o", "out/", "--serial", "100:u32", "--from", "1", "--count", "1"},  // a folder
        {"run", "serialize", "--count", "1"},                                                     // no project
        {"run", "serialize", "--config", "p.ini", "--count", "1", "--from", "5"},                 // not its own
    };
    for (const std::vector<std::string>& args : cases) {
        const Result r = Cli(args);
        EXPECT_EQ(2, r.status) << args.back();
        EXPECT_NE(std::string::npos, r.err.find("Usage: torvane-cli serialize")) << r.err;
    }
    const Result help = Cli({"run", "serialize", "--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_EQ(0u, help.out.find("Usage: torvane-cli serialize")) << help.out;
}

TEST_F(SerializeCommandTest, TheProjectKeepsTheSettingsAndRunContinuesWhereTheLastRunStopped) {
    const std::string project = dir.File("p.ini");
    Result r = Cli({"serialize",  tmpl,
                    "-o",         dir.File("out/{serial:hex}.hex"),
                    "--serial",   "7F00:dec:6",
                    "--from",     "0x10",
                    "--count",    "2",
                    "--mac",      "7F10",
                    "--mac-from", "02:00:00:00:00:FF",
                    "--field",    "crc32@7FFC:0-7FFB",
                    "--manifest", dir.File("m.csv"),
                    "--config",   project});
    ASSERT_EQ(0, r.status) << r.err;
    std::string ini = ReadText(project);
    EXPECT_NE(std::string::npos, ini.find("SerialNext=18\r\n")) << ini;
    EXPECT_NE(std::string::npos, ini.find("SerialMacNext=02:00:00:00:01:01\r\n")) << ini;
    r = Cli({"run", "serialize", "--config", project, "--count", "2"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("serial numbers 18 to 19, MAC 02:00:00:00:01:01 to 02:00:00:00:01:02"))
        << r.out;
    EXPECT_TRUE(test::Exists(dir.File("out/13.hex")));
    ini = ReadText(project);
    EXPECT_NE(std::string::npos, ini.find("SerialNext=20\r\n")) << ini;
    std::vector<uint64_t> serials;
    for (const ManifestRecord& rec : Records()) serials.push_back(rec.serial);
    EXPECT_EQ((std::vector<uint64_t>{16, 17, 18, 19}), serials);
    // The project is never written over the template or the manifest.
    for (const std::string& onto : {tmpl, dir.File("m.csv")}) {
        const Result clash = Cli({"serialize", tmpl, "-o", dir.File("out/x{serial}.bin"), "--serial", "100:u32",
                                  "--from", "1", "--count", "1", "--manifest", dir.File("m.csv"), "--config", onto});
        EXPECT_EQ(1, clash.status);
        EXPECT_NE(std::string::npos, clash.err.find(", a file of this run")) << clash.err;
    }
    EXPECT_EQ(0x8000u, ReadBytes(tmpl).size());
    // A project whose next number went back (an older copy) takes up after
    // the manifest's numbers, never issuing one twice.
    const size_t at = ini.find("SerialNext=20");
    ini.replace(at, 13, "SerialNext=16");
    const size_t mac = ini.find("SerialMacNext=02:00:00:00:01:03");
    ini.replace(mac, 31, "SerialMacNext=02:00:00:00:00:FF");
    // A next number whose MAC is not the one the manifest records with it is refused.
    std::string mismatched = ini;
    mismatched.replace(mismatched.find("SerialNext=16"), 13, "SerialNext=17");
    std::remove(project.c_str());
    dir.Write("p.ini", mismatched);
    r = Cli({"run", "serialize", "--config", project, "--count", "1"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("the manifest and the project disagree")) << r.err;
    std::remove(project.c_str());
    dir.Write("p.ini", ini);
    r = Cli({"run", "serialize", "--config", project, "--count", "1"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("note: ")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("serial 20 MAC 02:00:00:00:01:03 -> ")) << r.out;
}

#ifndef _WIN32
bool Have(const char* command) {
    return std::system((std::string("command -v ") + command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (const uint8_t b : bytes) text += Format("%02x", b);
    return text;
}

TEST_F(SerializeCommandTest, EachKindInBothOrdersAndTheCrcOverItAreWhatPythonComputes) {
    if (std::system("/usr/bin/python3 -c 'import crcmod' 2>/dev/null") != 0) GTEST_SKIP() << "crcmod is not installed";
    struct Case {
        const char* kind;
        const char* python;  // the bytes of n
    };
    const Case cases[] = {
        {"u8", "struct.pack('<B', n)"},     {"u16", "struct.pack('<H', n)"},    {"u16:be", "struct.pack('>H', n)"},
        {"u32", "struct.pack('<I', n)"},    {"u32:be", "struct.pack('>I', n)"}, {"u64", "struct.pack('<Q', n)"},
        {"u64:be", "struct.pack('>Q', n)"}, {"dec:7", "b'%07d' % n"},           {"hex:5", "b'%05X' % n"},
    };
    for (const Case& c : cases) {
        const std::string out = dir.File(std::string("out/") + c.kind[0] + c.kind[1] + "_{serial}.bin");
        const Result r = Cli({"serialize", tmpl, "-o", out, "--serial", std::string("123:") + c.kind, "--from", "200",
                              "--count", "2", "--step", "37", "--field", "crc32@7FF8:0-7FF7:be", "--force"});
        ASSERT_EQ(0, r.status) << c.kind << r.err;
        for (const int n : {200, 237}) {
            const std::string file =
                dir.File(std::string("out/") + c.kind[0] + c.kind[1] + "_" + std::to_string(n) + ".bin");
            const std::string script = "import struct, crcmod.predefined as p; n=" + std::to_string(n) +
                                       "; d=bytearray(open('" + tmpl + "','rb').read()); s=" + c.python +
                                       "; d[0x123:0x123+len(s)]=s; d[0x7FF8:0x7FFC]=struct.pack('>I', "
                                       "p.mkCrcFun('crc-32')(bytes(d[:0x7FF8]))); print(bytes(d).hex())";
            const std::string command = "/usr/bin/python3 -c \"" + script + "\" > '" + dir.File("model.txt") + "'";
            ASSERT_EQ(0, std::system(command.c_str())) << command;
            std::string model = ReadText(dir.File("model.txt"));
            model.pop_back();
            EXPECT_EQ(model, Hex(ReadBytes(file))) << c.kind << " " << n;
        }
    }
}

TEST_F(SerializeCommandTest, TheImageIsTheOneSrecCatMakesForTheSameNumber) {
    if (!Have("srec_cat")) GTEST_SKIP() << "srec_cat is not installed";
    const Result r = Cli({"serialize", tmpl, "-o", dir.File("out/dev_{serial}.bin"), "--serial", "100:u32", "--from",
                          "4660", "--count", "1", "--field", "crc32@7FFC:0-7FFB"});
    ASSERT_EQ(0, r.status) << r.err;
    const std::string command = "srec_cat '(' '" + tmpl +
                                "' -binary -crop 0 0x7FFC -exclude 0x100 0x104 -generate 0x100 0x104 -constant-l-e "
                                "4660 4 ')' -crc32-l-e 0x7FFC -o '" +
                                dir.File("theirs.bin") + "' -binary";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    EXPECT_EQ(ReadBytes(dir.File("theirs.bin")), ReadBytes(dir.File("out/dev_4660.bin")));
    // The words of a field name the image's own addresses as stamp takes
    // them: the CRC of the whole image, serial number included, appended.
    const Result words = Cli({"serialize", tmpl, "-o", dir.File("out/end_{serial}.bin"), "--serial", "100:u32",
                              "--from", "4660", "--count", "1", "--field", "crc32@end:start-end"});
    ASSERT_EQ(0, words.status) << words.err;
    const std::string appended = "srec_cat '(' '" + tmpl +
                                 "' -binary -exclude 0x100 0x104 -generate 0x100 0x104 -constant-l-e 4660 4 ')' "
                                 "-crc32-l-e 0x8000 -o '" +
                                 dir.File("theirs.bin") + "' -binary";
    ASSERT_EQ(0, std::system(appended.c_str())) << appended;
    EXPECT_EQ(ReadBytes(dir.File("theirs.bin")), ReadBytes(dir.File("out/end_4660.bin")));
}

// The built program, started as a production script would, killed at some
// moment of its run: the restart issues no number twice and leaves no gap in
// the record, and every line names a whole image with its hash.
TEST_F(SerializeCommandTest, ARunKilledHalfWayIsContinuedWithoutReuseOrGap) {
    const std::string project = dir.File("p.ini");
    const std::string manifest = dir.File("m.csv");
    const std::string args[] = {TORVANE_CLI_PATH,
                                "serialize",
                                tmpl,
                                "-o",
                                dir.File("out/dev_{serial}.bin"),
                                "--serial",
                                "100:u32:be",
                                "--from",
                                "5000",
                                "--count",
                                "100000",
                                "--field",
                                "crc32@7FFC:0-7FFB",
                                "--manifest",
                                manifest,
                                "--config",
                                project};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    ASSERT_EQ(0, posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ));
    posix_spawn_file_actions_destroy(&actions);
    // Some groups in, then the kill, whatever the run is doing at that moment.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Records().size() < 20 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(0, ::kill(pid, SIGKILL));
    int status = 0;
    ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it was killed";
    const size_t before = Records().size();
    ASSERT_GE(before, 20u);
    // The project still says 5000: the run never reached its end.
    EXPECT_NE(std::string::npos, ReadText(project).find("SerialNext=5000\r\n"));

    // More than a group: every image the killed run named is taken up.
    const Result r = Cli({"run", "serialize", "--config", project, "--count", "20"});
    ASSERT_EQ(0, r.status) << r.err << r.out;
    EXPECT_NE(std::string::npos, r.out.find("note: ")) << r.out;
    const std::vector<ManifestRecord> records = Records();
    std::set<uint64_t> seen;
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(5000 + i, records[i].serial) << "line " << records[i].line;
        seen.insert(records[i].serial);
    }
    EXPECT_EQ(records.size(), seen.size());
    EXPECT_GE(records.size(), before + 20);
    // Every line's image is whole at its name, and no image lacks its line.
    const std::string text = ReadText(manifest);
    for (const ManifestRecord& rec : records) {
        const std::string file = dir.File(Format("out/dev_%llu.bin", static_cast<unsigned long long>(rec.serial)));
        const std::vector<uint8_t> bytes = ReadBytes(file);
        ASSERT_EQ(0x8000u, bytes.size()) << file;
        EXPECT_NE(std::string::npos, text.find(file + ",32768,")) << file;
        EXPECT_NE(std::string::npos, text.find(Sha256Text(ComputeSha256(bytes)))) << file;
    }
    EXPECT_FALSE(
        test::Exists(dir.File(Format("out/dev_%llu.bin", static_cast<unsigned long long>(5000 + records.size())))));
    const std::string next = Format("SerialNext=%llu\r\n", static_cast<unsigned long long>(5000 + records.size()));
    EXPECT_NE(std::string::npos, ReadText(project).find(next)) << ReadText(project);
}
#endif

}  // namespace
}  // namespace torvane::cli
