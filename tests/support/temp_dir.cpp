#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace torvane::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "torvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Files a test made read-only still go: the folder is ours.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string p = File(name);
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string s = ReadText(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace torvane::test
