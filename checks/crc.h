#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace torvane {

// A CRC in the usual parametric ("Rocksoft") model: `width` bits (8 to 64),
// the polynomial without its top bit, the register's first value, whether
// input bytes and the result are bit-reflected, and the value XORed onto the
// result. `check` is the CRC of the ASCII bytes "123456789".
struct CrcModel {
    int width = 32;
    uint64_t poly = 0;
    uint64_t init = 0;
    bool refin = false;
    bool refout = false;
    uint64_t xorout = 0;
};

// How a preset feeds its input: byte by byte, or as the CRC unit of STM32
// microcontrollers does, 32-bit little-endian words taken most significant
// bit first.
enum class CrcFeed { Bytes, Stm32Words };

struct CrcPreset {
    const char* name;     // as the CRC catalogue spells it ("CRC-32/ISO-HDLC")
    const char* aliases;  // other names, separated by spaces
    CrcModel model;
    uint64_t check;       // the CRC of "123456789"
    CrcFeed feed = CrcFeed::Bytes;
};

// Every named preset.
std::span<const CrcPreset> CrcPresets();

// The preset a name or alias names, in any letter case and with or without
// '-', '/' and '_' ("crc32", "CRC-32/ISO-HDLC", "crc16-ccitt-false").
const CrcPreset* FindCrcPreset(std::string_view name);

// Whether a model can be computed: a width of 8 to 64 and every value inside it.
bool IsValidCrcModel(const CrcModel& model, std::string* why = nullptr);

// A CRC over bytes that arrive in pieces of any size.
class Crc {
public:
    explicit Crc(const CrcModel& model, CrcFeed feed = CrcFeed::Bytes);
    explicit Crc(const CrcPreset& preset) : Crc(preset.model, preset.feed) {}
    void Update(std::span<const uint8_t> bytes);
    // The CRC of everything so far. Fed as STM32 words, a last partial word is
    // completed with zero bytes in its high positions, as a 32-bit read of the
    // zero-padded buffer gives it.
    uint64_t Value() const;

private:
    void UpdateBytes(const uint8_t* p, size_t n);

    CrcModel model_;
    CrcFeed feed_;
    std::shared_ptr<const struct CrcTables> tables_;
    uint64_t reg_;                // reflected: right-aligned; otherwise left-aligned in 64 bits
    uint8_t word_[4] = {};        // STM32: bytes of the word not yet fed
    size_t wordFill_ = 0;
};

uint64_t ComputeCrc(const CrcModel& model, std::span<const uint8_t> bytes, CrcFeed feed = CrcFeed::Bytes);
inline uint64_t ComputeCrc(const CrcPreset& preset, std::span<const uint8_t> bytes) {
    return ComputeCrc(preset.model, bytes, preset.feed);
}

// The portable table path, whatever the processor offers; for tests that hold
// the fast paths to it.
uint64_t ComputeCrcPortable(const CrcModel& model, std::span<const uint8_t> bytes);

// A CRC value as upper-case hex digits, as many as its width needs ("CBF43926").
std::string CrcText(uint64_t value, int width);

}  // namespace torvane
