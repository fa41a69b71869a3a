#include "platform/files.h"

#include <cstdio>
#include <sys/stat.h>

namespace torvane {
namespace {

bool StatRegular(const std::string& path, struct stat& st) {
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

std::optional<uint64_t> FileLength(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool CanOpenReadWrite(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool CanOpenRead(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return std::nullopt;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    bytes.reserve(static_cast<size_t>(st.st_size));
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, f);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) break;
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return bytes;
}

std::optional<std::vector<uint8_t>> ReadFilePrefix(const std::string& path, size_t count) {
    struct stat st;
    if (!StatRegular(path, st)) return std::nullopt;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> bytes(count, 0);
    const size_t got = count ? std::fread(bytes.data(), 1, count, f) : 0;
    const bool failed = got < count && std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return bytes;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size) {
    if (path.empty()) return false;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool AppendFill(const std::string& path, uint8_t fill, size_t count) {
    if (!CanOpenReadWrite(path)) return false;
    std::FILE* f = std::fopen(path.c_str(), "r+b");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    for (size_t i = 0; ok && i < count; ++i) ok = std::fputc(fill, f) != EOF;
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

}  // namespace torvane
