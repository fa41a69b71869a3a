#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace torvane::detail {

void* MapBlock(size_t size, size_t& blockSize, uint8_t*& data) {
    // Committed pages arrive zeroed. Large pages need a privilege most users
    // lack, so the system's own page size it is.
    void* block = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!block) return nullptr;
    blockSize = size;
    data = static_cast<uint8_t*>(block);
    return block;
}

void UnmapBlock(void* block, size_t) { ::VirtualFree(block, 0, MEM_RELEASE); }

}  // namespace torvane::detail
