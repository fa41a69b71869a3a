#include "tools/checksum/check_value.h"

#include "platform/format.h"
#include "tools/checksum/md5.h"

namespace torvane {
namespace {

// The big-endian word of `width` bytes at `offset`; bytes past the data count as 0.
uint64_t WordAt(std::span<const uint8_t> bytes, size_t offset, size_t width) {
    uint64_t word = 0;
    for (size_t i = 0; i < width; ++i) {
        const size_t at = offset + i;
        word = (word << 8) | (at < bytes.size() ? bytes[at] : 0u);
    }
    return word;
}

int DataDigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'Z') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<ChecksumMethod> ChecksumMethodAt(int index) {
    if (index < 0 || index >= kChecksumMethodCount) return std::nullopt;
    return static_cast<ChecksumMethod>(index);
}

uint8_t Sum8(std::span<const uint8_t> bytes) {
    uint8_t sum = 0;
    for (uint8_t b : bytes) sum = static_cast<uint8_t>(sum + b);
    return static_cast<uint8_t>(sum ^ 0xFF);
}

uint16_t Sum16(std::span<const uint8_t> bytes) {
    uint32_t sum = 0;  // wraps modulo 2^32 on purpose: a carry out of bit 31 is lost
    for (size_t i = 0; i < bytes.size(); i += 2) sum += static_cast<uint32_t>(WordAt(bytes, i, 2));
    uint32_t folded = (sum & 0xFFFF) + (sum >> 16);
    if (folded > 0xFFFF) folded = (folded & 0xFFFF) + (folded >> 16);
    return static_cast<uint16_t>(~folded & 0xFFFF);
}

uint32_t Sum32(std::span<const uint8_t> bytes) {
    uint64_t total = 0;  // cannot overflow below 2^32 words
    for (size_t i = 0; i < bytes.size(); i += 4) total += WordAt(bytes, i, 4);
    const uint32_t high = static_cast<uint32_t>(total >> 32);
    const uint32_t low = static_cast<uint32_t>(total);
    uint32_t s = high + low;
    const uint32_t carry = s < high ? 1u : 0u;
    // A fold that ends at exactly 0 keeps 0 and drops its carry.
    if (s != 0) s += carry;
    return ~s;
}

uint64_t Sum64(std::span<const uint8_t> bytes) {
    uint64_t sum = 0;
    uint64_t overflows = 0;
    for (size_t i = 0; i < bytes.size(); i += 8) {
        const uint64_t before = sum;
        sum += WordAt(bytes, i, 8);
        if (sum < before) ++overflows;
    }
    // The overflow count is added once; a carry out of this addition is not folded again.
    return ~(sum + overflows);
}

std::string ComputeCheckValue(ChecksumMethod method, std::span<const uint8_t> bytes) {
    switch (method) {
        case ChecksumMethod::Sum8: return Format("%X", static_cast<unsigned>(Sum8(bytes)));
        case ChecksumMethod::Sum16: return Format("%X", static_cast<unsigned>(Sum16(bytes)));
        case ChecksumMethod::Sum32: return Format("%X", static_cast<unsigned>(Sum32(bytes)));
        case ChecksumMethod::Sum64: return Format("%llX", static_cast<unsigned long long>(Sum64(bytes)));
        case ChecksumMethod::Md5: return Md5Text(Md5(bytes));
    }
    return std::string();
}

std::optional<std::vector<uint8_t>> ParseHexData(std::string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    int high = -1;
    for (char ch : text) {
        const int value = DataDigitValue(ch);
        if (value < 0) continue;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<uint8_t>((high << 4) | value));
            high = -1;
        }
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

}  // namespace torvane
