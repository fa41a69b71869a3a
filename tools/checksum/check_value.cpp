#include "tools/checksum/check_value.h"

#include <string>
#include <utility>

#include "checks/md5.h"
#include "checks/sums.h"
#include "platform/format.h"

namespace torvane {
namespace {

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
