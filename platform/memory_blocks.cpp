#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace torvane::detail {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
}  // namespace

void* MapBlock(size_t size, size_t& blockSize, uint8_t*& data) {
    // Mapped with room to start on a huge-page boundary, and asked for huge
    // pages, so that filling it costs a handful of page faults instead of one
    // per 4 KiB. The pages arrive zeroed.
    const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    blockSize = rounded + kHugePage;
    void* block = ::mmap(nullptr, blockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) {
        blockSize = 0;
        return nullptr;
    }
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    data = reinterpret_cast<uint8_t*>(start);
#ifdef MADV_HUGEPAGE
    ::madvise(data, rounded, MADV_HUGEPAGE);  // advice only: without it, small pages
#endif
    return block;
}

void UnmapBlock(void* block, size_t blockSize) { ::munmap(block, blockSize); }

}  // namespace torvane::detail
