#include "platform/memory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace torvane {
namespace {

constexpr size_t kMapFrom = size_t{1} << 20;  // smaller buffers come from the heap
constexpr size_t kHugePage = size_t{2} << 20;

}  // namespace

ByteBuffer::ByteBuffer(size_t size, bool zeroed) : size_(size) {
    if (size < kMapFrom) {
        block_ = zeroed ? std::calloc(size ? size : 1, 1) : std::malloc(size ? size : 1);
        if (!block_) throw std::bad_alloc();
        data_ = static_cast<uint8_t*>(block_);
        return;
    }
    // Mapped with room to start on a huge-page boundary; the pages arrive zeroed.
    const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    blockSize_ = rounded + kHugePage;
    void* block = ::mmap(nullptr, blockSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) {
        blockSize_ = 0;
        throw std::bad_alloc();
    }
    block_ = block;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    data_ = reinterpret_cast<uint8_t*>(start);
#ifdef MADV_HUGEPAGE
    ::madvise(data_, rounded, MADV_HUGEPAGE);  // advice only: without it, small pages
#endif
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
    if (blockSize_ != 0) ::munmap(block_, blockSize_);
    else std::free(block_);
    block_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    blockSize_ = 0;
}

}  // namespace torvane
