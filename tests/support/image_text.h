#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
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

// A 32-bit little-endian ELF executable for ARM with one PT_LOAD segment that
// holds `data` at the physical and virtual address `address`.
inline std::vector<uint8_t> ElfImage(uint32_t address, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> f(52 + 32 + data.size(), 0);
    auto put = [&f](size_t at, uint32_t v, int width) {
        for (int i = 0; i < width; ++i) f[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    f[0] = 0x7F, f[1] = 'E', f[2] = 'L', f[3] = 'F', f[4] = 1, f[5] = 1, f[6] = 1;
    put(16, 2, 2);        // ET_EXEC
    put(18, 40, 2);       // EM_ARM
    put(20, 1, 4);        // EV_CURRENT
    put(24, address, 4);  // entry
    put(28, 52, 4);       // phoff
    put(40, 52, 2);       // ehsize
    put(42, 32, 2);       // phentsize
    put(44, 1, 2);        // phnum
    const uint32_t size = static_cast<uint32_t>(data.size());
    put(52, 1, 4), put(56, 84, 4), put(60, address, 4), put(64, address, 4), put(68, size, 4), put(72, size, 4),
        put(76, 5, 4), put(80, 4, 4);
    std::copy(data.begin(), data.end(), f.begin() + 84);
    return f;
}

}  // namespace torvane::test
