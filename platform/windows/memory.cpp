#include "platform/memory.h"

#include <windows.h>

#include <cstdlib>
#include <new>
#include <utility>

namespace torvane {
namespace {

constexpr size_t kMapFrom = size_t{1} << 20;  // smaller buffers come from the heap

}  // namespace

ByteBuffer::ByteBuffer(size_t size, bool zeroed) : size_(size) {
    if (size < kMapFrom) {
        block_ = zeroed ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1);
        if (!block_) throw std::bad_alloc();
        data_ = static_cast<uint8_t*>(block_);
        return;
    }
    // Committed pages arrive zeroed. Large pages need a privilege most users
    // lack, so the system's own page size it is.
    block_ = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!block_) throw std::bad_alloc();
    blockSize_ = size;
    data_ = static_cast<uint8_t*>(block_);
}

ByteBuffer::~ByteBuffer() { Release(); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      block_(std::exchange(other.block_, nullptr)),
      blockSize_(std::exchange(other.blockSize_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        block_ = std::exchange(other.block_, nullptr);
        blockSize_ = std::exchange(other.blockSize_, 0);
    }
    return *this;
}

void ByteBuffer::Release() {
    if (!block_) return;
    if (blockSize_ != 0) ::VirtualFree(block_, 0, MEM_RELEASE);
    else std::free(block_);
    block_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    blockSize_ = 0;
}

}  // namespace torvane
