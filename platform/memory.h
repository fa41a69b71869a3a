#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace torvane {

// A byte buffer of a fixed size, for the large ones: a file's text, a HEX
// image, the merged image. From 1 MiB on it is taken straight from the system
// and asked for huge pages, so filling it costs a handful of page faults
// instead of one per 4 KiB (a fault costs microseconds; a 2 MiB text has 512
// small pages). Throws std::bad_alloc when no memory is left.
class ByteBuffer {
public:
    ByteBuffer() = default;
    // `zeroed`: every byte 0 (the system's fresh pages are; small buffers are
    // cleared), otherwise the contents are unspecified.
    ByteBuffer(size_t size, bool zeroed);
    ~ByteBuffer();
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Only the first `size` bytes count from now on (never more than held).
    void Shrink(size_t size) { size_ = size < size_ ? size : size_; }
    operator std::span<const uint8_t>() const { return {data_, size_}; }

private:
    void Release();
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    void* block_ = nullptr;   // what was allocated
    size_t blockSize_ = 0;    // its length when mapped; 0 for the heap
};

}  // namespace torvane
