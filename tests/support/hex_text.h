#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace torvane::test {

// One Intel HEX record with a correct checksum, without its line end.
inline std::string HexRecord(uint8_t type, uint16_t address, const std::vector<uint8_t>& data) {
    char buf[16];
    uint32_t sum = static_cast<uint32_t>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::string r = ":";
    std::snprintf(buf, sizeof buf, "%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
    r += buf;
    for (uint8_t b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        r += buf;
        sum += b;
    }
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>((0x100 - (sum & 0xFF)) & 0xFF));
    return r + buf;
}

inline std::string DataRecord(uint16_t address, const std::vector<uint8_t>& data) {
    return HexRecord(0x00, address, data) + "\r\n";
}
inline std::string LinearRecord(uint16_t upper) {
    return HexRecord(0x04, 0, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)}) + "\r\n";
}
inline std::string SegmentRecord(uint16_t segment) {
    return HexRecord(0x02, 0, {static_cast<uint8_t>(segment >> 8), static_cast<uint8_t>(segment)}) + "\r\n";
}
inline const char* EndRecord() { return ":00000001FF\r\n"; }

// A HEX text holding `length` bytes from the absolute address `start` in records
// of `perRecord` bytes; byte i of the data is (i * 7 + 1) & 0xFF.
inline std::string HexBlock(uint32_t start, uint32_t length, uint32_t perRecord = 16) {
    std::string text;
    uint32_t upper = 0xFFFFFFFF;
    for (uint32_t i = 0; i < length; i += perRecord) {
        const uint32_t address = start + i;
        if ((address >> 16) != upper) {
            upper = address >> 16;
            text += LinearRecord(static_cast<uint16_t>(upper));
        }
        std::vector<uint8_t> data;
        for (uint32_t j = i; j < length && j < i + perRecord; ++j) data.push_back(static_cast<uint8_t>(j * 7 + 1));
        text += DataRecord(static_cast<uint16_t>(address), data);
    }
    return text + EndRecord();
}

inline uint8_t BlockByte(uint32_t i) { return static_cast<uint8_t>(i * 7 + 1); }

}  // namespace torvane::test
