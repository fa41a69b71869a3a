#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "checks/crc.h"
#include "checks/md5.h"
#include "checks/sha256.h"
#include "checks/sums.h"

namespace torvane {

// The check-value methods, numbered as the method list shows them: the list
// index is the method. To add one: give it the next number here, its caption in
// kChecksumMethodCaptions (check_tool.h), its case in ComputeCheckValue, and its
// name in the checksum command's table (cli/checksum_command.cpp).
enum class ChecksumMethod {
    Sum8 = 0,   // "校验和"
    Sum16 = 1,  // "2字节校验和"
    Sum32 = 2,  // "4字节校验和"
    Sum64 = 3,  // "8字节校验和"
    Md5 = 4,    // "MD5"
    // CRCs from the catalogue, and the MCU unit's, as bootloaders check images.
    Crc16Ibm3740 = 5,  // "CRC-16/IBM-3740"
    Crc32IsoHdlc = 6,  // "CRC-32/ISO-HDLC"
    Crc32Iscsi = 7,    // "CRC-32/ISCSI"
    Stm32Crc = 8,      // "STM32 CRC"
    Sha256 = 9,        // "SHA-256"
};
inline constexpr int kChecksumMethodCount = 10;

// The catalogue preset of a CRC method; nothing for the others.
const struct CrcPreset* CrcPresetOf(ChecksumMethod method);

// The method at a list index; nothing for an index outside the list (-1 = none selected).
std::optional<ChecksumMethod> ChecksumMethodAt(int index);

// One method over bytes that arrive in pieces, so a file need not be held in
// memory. Every piece but the last must hold a multiple of 64 bytes.
class CheckValueStream {
public:
    explicit CheckValueStream(ChecksumMethod method);
    // Any CRC, as the checksum command's preset names and custom models give.
    CheckValueStream(const CrcModel& crc, CrcFeed feed);
    void Add(std::span<const uint8_t> piece);
    // The result text, as ComputeCheckValue gives it.
    std::string Finish() const;

private:
    ChecksumMethod method_;
    PositionSums sums_;
    Md5State md5_;
    std::vector<uint8_t> rest_;  // MD5: the bytes after the last whole block
    std::optional<Crc> crc_;
    int crcWidth_ = 0;  // a CRC given by its model, not by the list
    torvane::Sha256 sha256_;
};

// Runs one method and returns the result text: the four sums in upper-case hex
// without leading zeros ("%X"), MD5 as 32 lower-case hex digits, a CRC in
// upper-case hex with all the digits of its width, SHA-256 as 64 lower-case
// hex digits.
std::string ComputeCheckValue(ChecksumMethod method, std::span<const uint8_t> bytes);

// The bytes of typed data text: hex digits, two to a byte, first the high
// nibble. Groups of letters and digits may stand apart (any other character,
// a space or a comma, separates them and is dropped), and a group may open
// with "0x" or "0X"; the digits pair up across the groups. Nothing, with the
// reason in `why` when it is given, for a letter past F (or an 'x' that does
// not open a group), an odd number of digits, or no digit at all. Any length
// is accepted.
std::optional<std::vector<uint8_t>> ParseHexData(std::string_view text, std::string* why = nullptr);

}  // namespace torvane
