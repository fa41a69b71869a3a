#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    std::vector<uint8_t> bytes(count, fill);
    size_t done = 0;
    bool ok = true;
    while (ok && done < count) {
        const ssize_t n = ::write(fd, bytes.data() + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    // A short append is taken back, so the file is either padded or as it was.
    if (!ok) {
        if (::ftruncate(fd, st.st_size) != 0) {
            // Nothing more can be done; the caller reports the failure either way.
        }
    }
    ok = ::close(fd) == 0 && ok;
    return ok;
}

}  // namespace torvane
