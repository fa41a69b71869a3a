#include "platform/memory.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace torvane {
namespace detail {
// The system's part, one per system: a zeroed block of `size` bytes or more,
// and where in it the buffer starts.
void* MapBlock(size_t size, size_t& blockSize, uint8_t*& data);
void UnmapBlock(void* block, size_t blockSize);
}  // namespace detail

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
    block_ = detail::MapBlock(size, blockSize_, data_);
    if (!block_) throw std::bad_alloc();
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
    if (blockSize_ != 0) detail::UnmapBlock(block_, blockSize_);
    else std::free(block_);
    block_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    blockSize_ = 0;
}

}  // namespace torvane
