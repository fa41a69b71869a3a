#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace torvane::test {

// An S-record file of `data` at `address`: S3 records of 16 bytes and an S7
// end record, each with a correct checksum; `damaged` spoils the first
// record's checksum.
inline std::string SRecordText(uint32_t address, const std::vector<uint8_t>& data, bool damaged = false) {
    char buf[16];
    std::string text;
    auto record = [&](char type, uint32_t at, const uint8_t* bytes, size_t count) {
        const unsigned length = static_cast<unsigned>(count) + 5;
        unsigned sum = length + (at >> 24) + ((at >> 16) & 0xFF) + ((at >> 8) & 0xFF) + (at & 0xFF);
        std::snprintf(buf, sizeof buf, "S%c%02X%08X", type, length, static_cast<unsigned>(at));
        text += buf;
        for (size_t i = 0; i < count; ++i) {
            std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
            text += buf;
            sum += bytes[i];
        }
        const unsigned checksum = (~sum & 0xFF) ^ (damaged && at == address && type == '3' ? 1u : 0u);
        std::snprintf(buf, sizeof buf, "%02X\n", checksum);
        text += buf;
    };
    for (size_t i = 0; i < data.size(); i += 16)
        record('3', address + static_cast<uint32_t>(i), data.data() + i, std::min<size_t>(16, data.size() - i));
    record('7', address, nullptr, 0);
    return text;
}

// A 32-bit little-endian ELF executable for ARM with one PT_LOAD segment per
// load, in the order given, each holding its bytes at the physical and virtual
// address given; the entry point is `entry`.
inline std::vector<uint8_t> ElfOfLoads(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& loads,
                                       uint32_t entry) {
    const size_t tableEnd = 52 + 32 * loads.size();
    std::vector<uint8_t> f(tableEnd, 0);
    auto put = [&f](size_t at, uint32_t v, int width) {
        for (int i = 0; i < width; ++i) f[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    f[0] = 0x7F, f[1] = 'E', f[2] = 'L', f[3] = 'F', f[4] = 1, f[5] = 1, f[6] = 1;
    put(16, 2, 2);      // ET_EXEC
    put(18, 40, 2);     // EM_ARM
    put(20, 1, 4);      // EV_CURRENT
    put(24, entry, 4);  // entry
    put(28, 52, 4);     // phoff
    put(40, 52, 2);     // ehsize
    put(42, 32, 2);     // phentsize
    put(44, static_cast<uint32_t>(loads.size()), 2);  // phnum
    for (size_t i = 0; i < loads.size(); ++i) {
        const size_t h = 52 + 32 * i;
        const uint32_t offset = static_cast<uint32_t>(f.size());
        const uint32_t address = loads[i].first;
        const uint32_t size = static_cast<uint32_t>(loads[i].second.size());
        put(h, 1, 4), put(h + 4, offset, 4), put(h + 8, address, 4), put(h + 12, address, 4), put(h + 16, size, 4),
            put(h + 20, size, 4), put(h + 24, 5, 4), put(h + 28, 4, 4);
        f.insert(f.end(), loads[i].second.begin(), loads[i].second.end());
    }
    return f;
}

// The same with one PT_LOAD segment that holds `data` at `address`, which is
// also the entry point.
inline std::vector<uint8_t> ElfImage(uint32_t address, const std::vector<uint8_t>& data) {
    return ElfOfLoads({{address, data}}, address);
}

}  // namespace torvane::test
