#include "formats/elf.h"

#include <algorithm>

#include "platform/format.h"

namespace torvane {
namespace {

class Fields {
public:
    Fields(std::span<const uint8_t> bytes, bool bigEndian) : bytes_(bytes), big_(bigEndian) {}
    uint64_t At(uint64_t offset, int width) const {
        uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            const uint8_t b = bytes_[static_cast<size_t>(offset) + static_cast<size_t>(big_ ? i : width - 1 - i)];
            v = v << 8 | b;
        }
        return v;
    }

private:
    std::span<const uint8_t> bytes_;
    bool big_;
};

ImageRead Refuse(ReadFault fault, uint64_t offset, std::string why) {
    ImageRead read;
    read.fault = fault;
    read.offset = offset;
    read.reason = std::move(why);
    return read;
}

constexpr uint32_t kLoad = 1;

// Reads the headers and walks the program headers in order, handing each
// load with bytes to `place(origin, its bytes, read)`, which either places
// them or sets the fault in `read` and returns false to stop.
template <class Place>
ImageRead WalkLoads(std::span<const uint8_t> bytes, Place&& place) {
    const uint64_t n = bytes.size();
    if (n < 16 || bytes[0] != 0x7F || bytes[1] != 'E' || bytes[2] != 'L' || bytes[3] != 'F')
        return Refuse(ReadFault::NotThisFormat, 0, "the file is not an ELF file (no ELF magic at its start)");
    const uint8_t elfClass = bytes[4];
    const uint8_t data = bytes[5];
    if (elfClass != 1 && elfClass != 2)
        return Refuse(ReadFault::BadHeader, 4, Format("unknown ELF class %u (1 is 32-bit, 2 is 64-bit)", elfClass));
    if (data != 1 && data != 2)
        return Refuse(ReadFault::BadHeader, 5, Format("unknown ELF byte order %u (1 is little, 2 is big endian)", data));
    const bool wide = elfClass == 2;
    const uint64_t headerSize = wide ? 64 : 52;
    if (n < headerSize)
        return Refuse(ReadFault::CutOff, 0,
                      Format("the ELF header is cut off: the file has %llu bytes, the header %llu",
                             static_cast<unsigned long long>(n), static_cast<unsigned long long>(headerSize)));
    const Fields f(bytes, data == 2);
    const int word = wide ? 8 : 4;
    const uint64_t entry = f.At(24, word);
    const uint64_t phoff = f.At(wide ? 32 : 28, word);
    const uint64_t shoff = f.At(wide ? 40 : 32, word);
    const uint64_t phentsize = f.At(wide ? 54 : 42, 2);
    uint64_t phnum = f.At(wide ? 56 : 44, 2);
    const uint64_t shentsize = f.At(wide ? 58 : 46, 2);
    const uint64_t minimumEntry = wide ? 56 : 32;
    if (phnum == 0xFFFF) {
        // More program headers than the field holds: the count is the first
        // section header's sh_info.
        const uint64_t infoAt = shoff + (wide ? 44 : 28);
        if (shoff == 0 || shentsize < (wide ? 64u : 40u) || shoff > n || n - shoff < shentsize)
            return Refuse(ReadFault::BadHeader, shoff, "the program header count is in a section header outside the file");
        phnum = f.At(infoAt, 4);
    }
    if (phnum == 0)
        return Refuse(ReadFault::NoData, 0, "the ELF file has no program headers (a relocatable object has no load address)");
    if (phentsize < minimumEntry)
        return Refuse(ReadFault::BadHeader, wide ? 54 : 42,
                      Format("program headers of %llu bytes are too small (at least %llu)",
                             static_cast<unsigned long long>(phentsize), static_cast<unsigned long long>(minimumEntry)));
    if (phoff > n || (n - phoff) / phentsize < phnum)
        return Refuse(ReadFault::CutOff, phoff,
                      Format("the program header table (%llu entries at byte %llu) lies outside the file",
                             static_cast<unsigned long long>(phnum), static_cast<unsigned long long>(phoff)));
    ImageRead read;
    for (uint64_t i = 0; i < phnum; ++i) {
        const uint64_t h = phoff + i * phentsize;
        if (f.At(h, 4) != kLoad) continue;
        LoadOrigin o;
        o.index = static_cast<uint32_t>(i);
        uint64_t paddr;
        if (wide) {
            o.fileOffset = f.At(h + 8, 8);
            o.virtualAddress = f.At(h + 16, 8);
            paddr = f.At(h + 24, 8);
            o.fileSize = f.At(h + 32, 8);
            o.memorySize = f.At(h + 40, 8);
        } else {
            o.fileOffset = f.At(h + 4, 4);
            o.virtualAddress = f.At(h + 8, 4);
            paddr = f.At(h + 12, 4);
            o.fileSize = f.At(h + 16, 4);
            o.memorySize = f.At(h + 20, 4);
        }
        if (o.fileSize > o.memorySize) {
            read.fault = ReadFault::BadHeader;
            read.offset = h;
            read.reason = Format("program header %llu: its file size 0x%llX is larger than its memory size 0x%llX",
                                 static_cast<unsigned long long>(i), static_cast<unsigned long long>(o.fileSize),
                                 static_cast<unsigned long long>(o.memorySize));
            return read;
        }
        if (o.fileSize == 0) continue;  // memory only (.bss, a stack): no data
        if (o.fileOffset > n || n - o.fileOffset < o.fileSize) {
            read.fault = ReadFault::CutOff;
            read.offset = h;
            read.reason = Format("program header %llu: its %llu bytes at byte %llu lie outside the file (%llu bytes)",
                                 static_cast<unsigned long long>(i), static_cast<unsigned long long>(o.fileSize),
                                 static_cast<unsigned long long>(o.fileOffset), static_cast<unsigned long long>(n));
            return read;
        }
        if (paddr >= kAddressSpaceEnd || o.fileSize > kAddressSpaceEnd - paddr) {
            read.fault = ReadFault::OutsideSpace;
            read.offset = h;
            read.reason = Format("program header %llu: its %llu bytes at 0x%llX pass the end of the 32-bit address space",
                                 static_cast<unsigned long long>(i), static_cast<unsigned long long>(o.fileSize),
                                 static_cast<unsigned long long>(paddr));
            return read;
        }
        o.physicalAddress = static_cast<uint32_t>(paddr);
        if (!place(o, bytes.subspan(static_cast<size_t>(o.fileOffset), static_cast<size_t>(o.fileSize)), h, read))
            return read;
        read.origins.push_back(o);
    }
    if (read.origins.empty()) {
        read.fault = ReadFault::NoData;
        read.reason = "the ELF file has no loadable segment with bytes in the file";
        return read;
    }
    if (entry < kAddressSpaceEnd) read.image.start = static_cast<uint32_t>(entry);
    return read;
}

}  // namespace

ImageRead ReadElf(std::span<const uint8_t> bytes) {
    return WalkLoads(bytes, [](const LoadOrigin& o, std::span<const uint8_t> data, uint64_t h, ImageRead& read) {
        SparseImage::Clash clash;
        if (read.image.WriteNew(o.physicalAddress, data, clash) != SparseImage::NewWrite::OtherValue) return true;
        uint32_t earlier = 0;
        for (const LoadOrigin& e : read.origins)
            if (clash.address >= e.physicalAddress && clash.address - e.physicalAddress < e.fileSize) {
                earlier = e.index;
                break;
            }
        read.fault = ReadFault::TwoValues;
        read.offset = h;
        read.reason = Format("program header %u: 0x%08X is given two values, 0x%02X by program header %u and "
                             "0x%02X by program header %u",
                             o.index, clash.address, clash.held, earlier, clash.given, o.index);
        return false;
    });
}

std::optional<ImageRead> ReadElfInPlace(std::span<const uint8_t> bytes, std::vector<PlacedBytes>& places) {
    places.clear();
    ImageRead read = WalkLoads(bytes, [&places](const LoadOrigin& o, std::span<const uint8_t> data, uint64_t,
                                                ImageRead&) {
        places.push_back({o.physicalAddress, data});
        return true;
    });
    // Only loads that overlap can give an address two values, the one fault
    // the walk alone does not find: the walk gives ReadElf's outcome when
    // none of the loads before its stop overlap.
    std::sort(places.begin(), places.end(),
              [](const PlacedBytes& a, const PlacedBytes& b) { return a.address < b.address; });
    for (size_t i = 1; i < places.size(); ++i)
        if (places[i].address < places[i - 1].end()) return std::nullopt;
    return read;
}

}  // namespace torvane
