#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvane::test {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

// The whole content of a file ("" when it cannot be read).
std::string ReadText(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);

}  // namespace torvane::test
