#include "tools/checksum/check_value.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

#include "platform/format.h"
#include "tools/checksum/md5.h"

namespace torvane {
namespace {

// The sums of the bytes at each position modulo 8 (the byte at index i counts
// in sums[i % 8]). Every method but MD5 is a weighted sum of these eight, so the
// data is read once, eight bytes at a time, with no branch per byte. Bytes past
// the data count as 0, which completes a last partial word with zeros.
void AddByPosition(PositionSums& out, std::span<const uint8_t> bytes) {
    constexpr uint64_t kLow = 0x00FF00FF00FF00FFull;
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left >= 8) {
        // Up to 256 words fit 16-bit lanes (256 * 255 < 65536) before they are
        // added to the totals.
        const size_t words = std::min<size_t>(left / 8, 256);
        uint64_t even = 0;  // lanes: bytes 0, 2, 4, 6 of each word
        uint64_t odd = 0;   // lanes: bytes 1, 3, 5, 7
        for (size_t w = 0; w < words; ++w) {
            uint64_t x;
            std::memcpy(&x, p + 8 * w, 8);
            if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);  // byte 0 low
            even += x & kLow;
            odd += (x >> 8) & kLow;
        }
        for (int lane = 0; lane < 4; ++lane) {
            out.sums[2 * lane] += (even >> (16 * lane)) & 0xFFFF;
            out.sums[2 * lane + 1] += (odd >> (16 * lane)) & 0xFFFF;
        }
        p += 8 * words;
        left -= 8 * words;
    }
    for (size_t i = 0; i < left; ++i) out.sums[i] += p[i];
}

PositionSums SumByPosition(std::span<const uint8_t> bytes) {
    PositionSums out;
    AddByPosition(out, bytes);
    return out;
}

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The value of a hex digit, -1 for any other character.
int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::vector<uint8_t>> Refuse(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return std::nullopt;
}

}  // namespace

std::optional<ChecksumMethod> ChecksumMethodAt(int index) {
    if (index < 0 || index >= kChecksumMethodCount) return std::nullopt;
    return static_cast<ChecksumMethod>(index);
}

uint8_t Sum8(std::span<const uint8_t> bytes) { return Sum8Of(SumByPosition(bytes)); }

uint8_t Sum8Of(const PositionSums& s) {
    uint64_t total = 0;
    for (uint64_t v : s.sums) total += v;
    return static_cast<uint8_t>(~total);
}

uint16_t Sum16(std::span<const uint8_t> bytes) { return Sum16Of(SumByPosition(bytes)); }

uint16_t Sum16Of(const PositionSums& s) {
    // The sum of the words (even byte high) wraps modulo 2^32 on purpose: a
    // carry out of bit 31 is lost. Summed exactly, then cut to 32 bits.
    const uint64_t even = s.sums[0] + s.sums[2] + s.sums[4] + s.sums[6];
    const uint64_t odd = s.sums[1] + s.sums[3] + s.sums[5] + s.sums[7];
    const uint32_t sum = static_cast<uint32_t>(even * 256 + odd);
    uint32_t folded = (sum & 0xFFFF) + (sum >> 16);
    if (folded > 0xFFFF) folded = (folded & 0xFFFF) + (folded >> 16);
    return static_cast<uint16_t>(~folded & 0xFFFF);
}

uint32_t Sum32(std::span<const uint8_t> bytes) { return Sum32Of(SumByPosition(bytes)); }

uint32_t Sum32Of(const PositionSums& s) {
    // The exact sum of the big-endian words: no overflow below 2^32 words.
    const uint64_t total = ((s.sums[0] + s.sums[4]) << 24) + ((s.sums[1] + s.sums[5]) << 16) +
                           ((s.sums[2] + s.sums[6]) << 8) + (s.sums[3] + s.sums[7]);
    const uint32_t high = static_cast<uint32_t>(total >> 32);
    const uint32_t low = static_cast<uint32_t>(total);
    uint32_t sum = high + low;
    const uint32_t carry = sum < high ? 1u : 0u;
    // A fold that ends at exactly 0 keeps 0 and drops its carry.
    if (sum != 0) sum += carry;
    return ~sum;
}

uint64_t Sum64(std::span<const uint8_t> bytes) { return Sum64Of(SumByPosition(bytes)); }

uint64_t Sum64Of(const PositionSums& s) {
    // The exact sum of the big-endian words: its low 64 bits are the wrapped
    // sum, its high bits the number of additions that overflowed.
    unsigned __int128 total = 0;
    for (int j = 0; j < 8; ++j) total += static_cast<unsigned __int128>(s.sums[j]) << (8 * (7 - j));
    const uint64_t sum = static_cast<uint64_t>(total);
    const uint64_t overflows = static_cast<uint64_t>(total >> 64);
    // The overflow count is added once; a carry out of this addition is not folded again.
    return ~(sum + overflows);
}

const CrcPreset* CrcPresetOf(ChecksumMethod method) {
    switch (method) {
        case ChecksumMethod::Crc16Ibm3740: return FindCrcPreset("CRC-16/IBM-3740");
        case ChecksumMethod::Crc32IsoHdlc: return FindCrcPreset("CRC-32/ISO-HDLC");
        case ChecksumMethod::Crc32Iscsi: return FindCrcPreset("CRC-32/ISCSI");
        case ChecksumMethod::Stm32Crc: return FindCrcPreset("STM32");
        default: return nullptr;
    }
}

CheckValueStream::CheckValueStream(ChecksumMethod method) : method_(method) {
    if (const CrcPreset* preset = CrcPresetOf(method)) crc_.emplace(*preset);
}

CheckValueStream::CheckValueStream(const CrcModel& crc, CrcFeed feed)
    : method_(ChecksumMethod::Crc32IsoHdlc), crc_(std::in_place, crc, feed), crcWidth_(crc.width) {}

void CheckValueStream::Add(std::span<const uint8_t> piece) {
    if (crc_) {
        crc_->Update(piece);
    } else if (method_ == ChecksumMethod::Sha256) {
        sha256_.Update(piece);
    } else if (method_ == ChecksumMethod::Md5) {
        Md5Update(md5_, piece);
        const size_t whole = piece.size() / 64 * 64;
        rest_.assign(piece.begin() + static_cast<std::ptrdiff_t>(whole), piece.end());
    } else {
        AddByPosition(sums_, piece);
    }
}

std::string CheckValueStream::Finish() const {
    if (crcWidth_) return CrcText(crc_->Value(), crcWidth_);
    switch (method_) {
        case ChecksumMethod::Sum8: return Format("%X", static_cast<unsigned>(Sum8Of(sums_)));
        case ChecksumMethod::Sum16: return Format("%X", static_cast<unsigned>(Sum16Of(sums_)));
        case ChecksumMethod::Sum32: return Format("%X", static_cast<unsigned>(Sum32Of(sums_)));
        case ChecksumMethod::Sum64: return Format("%llX", static_cast<unsigned long long>(Sum64Of(sums_)));
        case ChecksumMethod::Md5: return Md5Text(Md5Finish(md5_, rest_));
        case ChecksumMethod::Crc16Ibm3740:
        case ChecksumMethod::Crc32IsoHdlc:
        case ChecksumMethod::Crc32Iscsi:
        case ChecksumMethod::Stm32Crc: return CrcText(crc_->Value(), CrcPresetOf(method_)->model.width);
        case ChecksumMethod::Sha256: return Sha256Text(sha256_.Digest());
    }
    return std::string();
}

std::string ComputeCheckValue(ChecksumMethod method, std::span<const uint8_t> bytes) {
    CheckValueStream stream(method);
    stream.Add(bytes);
    return stream.Finish();
}

std::optional<std::vector<uint8_t>> ParseHexData(std::string_view text, std::string* why) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    size_t digits = 0;
    int high = -1;
    for (size_t i = 0; i < text.size();) {
        if (!IsAsciiAlnum(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && IsAsciiAlnum(text[end])) ++end;
        // "0x" or "0X" opens a group as notation only.
        if (end - i >= 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            i += 2;
            if (i == end) return Refuse(why, "\"0x\" stands before no hex digit");
        }
        for (; i < end; ++i) {
            const int value = HexDigitValue(text[i]);
            if (value < 0) return Refuse(why, std::string("'") + text[i] + "' is not a hex digit");
            ++digits;
            if (high < 0) {
                high = value;
            } else {
                bytes.push_back(static_cast<uint8_t>((high << 4) | value));
                high = -1;
            }
        }
    }
    if (digits == 0) return Refuse(why, "the data holds no hex digit");
    if (high >= 0)
        return Refuse(why, "the data has an odd number of hex digits (" + std::to_string(digits) +
                               "); each byte takes two");
    return bytes;
}

}  // namespace torvane
