#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace torvane {

// The bytes of a regular file for reading, without a copy where the system
// allows: on POSIX the file is mapped read-only (asked for sequential reads),
// so its pages come straight from the system's file cache and a reader that
// calls Release keeps only a window of them resident. Elsewhere, and where a
// file cannot be mapped (an empty file, a file system without mappings), the
// file is read whole, as ReadWholeFile reads it.
//
// A mapped file cut short by another program while it is viewed does not
// end this one: the pages past its new end read as zeros, and CutShort tells
// the caller that what it read is not the file.
class FileView {
public:
    // The view of a regular file of at most `maxSize` bytes, or nothing, with
    // the reason in `why` when given (the same reasons as ReadWholeFile's).
    static std::optional<FileView> Open(const std::string& path, uint64_t maxSize, ReadFailure* why = nullptr);

    FileView(FileView&& other) noexcept { *this = std::move(other); }
    FileView& operator=(FileView&& other) noexcept {
        if (this == &other) return *this;
        Close();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        map_ = std::exchange(other.map_, nullptr);
        fd_ = std::exchange(other.fd_, -1);
        guard_ = std::exchange(other.guard_, -1);
        releasedUpTo_ = std::exchange(other.releasedUpTo_, 0);
        copy_ = std::move(other.copy_);  // its bytes stay where data_ points
        return *this;
    }
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    ~FileView() { Close(); }

    std::span<const uint8_t> bytes() const { return {data_, size_}; }
    // Whether the bytes are a mapping of the file (false when they were read).
    bool mapped() const { return map_ != nullptr; }

    // The caller is done with the bytes before `offset` for now: their pages
    // leave this process's memory. The bytes stay readable (read again from
    // the file when touched); a call with a smaller offset than the last one
    // starts a new pass from the start.
    void Release(uint64_t offset);

    // True when the file was cut short since it was opened, so bytes read
    // from the view may not be the file's: past its new end the view reads
    // zeros. Asked after the reading is done.
    bool CutShort() const;

private:
    FileView() = default;
    // Gives the mapping (or the bytes read) back.
    void Close();

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    void* map_ = nullptr;          // the mapping, or null when the bytes were read
    int fd_ = -1;                  // the mapped file, to check its length
    int guard_ = -1;               // the place of the mapping in the fault guard
    uint64_t releasedUpTo_ = 0;    // where the last Release ended
    std::vector<uint8_t> copy_;    // the bytes read, when not mapped
};

}  // namespace torvane
