#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <utility>

namespace torvane {

// Gathers the pieces of a file being written into writes of up to
// kPieceBufferSize bytes, so a writer that hands over one record at a time
// makes a system call a MiB, not one a record. A piece at least that large
// goes to the file as it stands, without a copy.
class PieceBuffer {
public:
    static constexpr size_t kPieceBufferSize = size_t{1} << 20;

    // `write` writes every byte it is given, or returns false.
    explicit PieceBuffer(std::function<bool(const uint8_t* data, size_t size)> write) : write_(std::move(write)) {}

    // Takes the next piece. False once a write failed: the pieces after it
    // are refused too, so no gap can open in the file.
    bool Put(const void* data, size_t size) {
        if (failed_) return false;
        if (size == 0) return true;
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        if (used_ + size > kPieceBufferSize && !Flush()) return false;
        if (size >= kPieceBufferSize) return Write(bytes, size);
        if (!buffer_) {
            buffer_.reset(new (std::nothrow) uint8_t[kPieceBufferSize]);
            // Without room to gather in, each piece is written as it comes.
            if (!buffer_) return Write(bytes, size);
        }
        std::memcpy(buffer_.get() + used_, bytes, size);
        used_ += size;
        return true;
    }

    // Writes what was gathered; false when this or an earlier write failed.
    bool Flush() {
        if (failed_) return false;
        const size_t used = used_;
        used_ = 0;
        return used == 0 || Write(buffer_.get(), used);
    }

private:
    bool Write(const uint8_t* bytes, size_t size) {
        failed_ = !write_(bytes, size);
        return !failed_;
    }

    std::function<bool(const uint8_t*, size_t)> write_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace torvane
