#include "checks/crc.h"

#include <array>
#include <cctype>
#include <cstring>

#include "platform/format.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <nmmintrin.h>
#define TORVANE_CRC32C_SSE42 1
#endif

namespace torvane {

// Eight tables of 256 entries: table k gives the effect of a byte followed by k
// zero bytes, so eight bytes are taken in one step ("slicing by eight").
struct CrcTables {
    std::array<std::array<uint64_t, 256>, 8> t;
};

namespace {

uint64_t Mask(int width) { return width >= 64 ? ~0ull : (1ull << width) - 1; }

uint64_t Reflect(uint64_t v, int width) {
    uint64_t r = 0;
    for (int i = 0; i < width; ++i) r |= ((v >> i) & 1) << (width - 1 - i);
    return r;
}

uint64_t LoadLe64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

uint64_t LoadBe64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
    return v;
}

uint32_t LoadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

std::shared_ptr<const CrcTables> MakeTables(const CrcModel& m) {
    auto tables = std::make_shared<CrcTables>();
    auto& t = tables->t;
    if (m.refin) {
        const uint64_t rpoly = Reflect(m.poly, m.width);
        for (uint64_t b = 0; b < 256; ++b) {
            uint64_t c = b;
            for (int i = 0; i < 8; ++i) c = (c & 1) ? (c >> 1) ^ rpoly : c >> 1;
            t[0][b] = c;
        }
        for (int k = 1; k < 8; ++k)
            for (size_t b = 0; b < 256; ++b) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
    } else {
        const uint64_t lpoly = m.poly << (64 - m.width);
        for (uint64_t b = 0; b < 256; ++b) {
            uint64_t c = b << 56;
            for (int i = 0; i < 8; ++i) c = (c >> 63) ? (c << 1) ^ lpoly : c << 1;
            t[0][b] = c;
        }
        for (int k = 1; k < 8; ++k)
            for (size_t b = 0; b < 256; ++b) t[k][b] = (t[k - 1][b] << 8) ^ t[0][t[k - 1][b] >> 56];
    }
    return tables;
}

bool IsCrc32c(const CrcModel& m) { return m.width == 32 && m.poly == 0x1EDC6F41 && m.refin; }

#if defined(TORVANE_CRC32C_SSE42)
__attribute__((target("sse4.2"))) uint64_t Crc32cHardware(uint64_t reg, const uint8_t* p, size_t n) {
    uint64_t c = reg;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        c = _mm_crc32_u64(c, w);
    }
    uint32_t c32 = static_cast<uint32_t>(c);
    for (; n > 0; ++p, --n) c32 = _mm_crc32_u8(c32, *p);
    return c32;
}

bool HasSse42() {
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}
#endif

uint64_t PortableUpdate(const CrcModel& m, const CrcTables& tables, uint64_t reg, const uint8_t* p, size_t n) {
    const auto& t = tables.t;
    if (m.refin) {
        for (; n >= 8; p += 8, n -= 8) {
            const uint64_t x = reg ^ LoadLe64(p);
            reg = t[7][x & 0xFF] ^ t[6][(x >> 8) & 0xFF] ^ t[5][(x >> 16) & 0xFF] ^ t[4][(x >> 24) & 0xFF] ^
                  t[3][(x >> 32) & 0xFF] ^ t[2][(x >> 40) & 0xFF] ^ t[1][(x >> 48) & 0xFF] ^ t[0][x >> 56];
        }
        for (; n > 0; ++p, --n) reg = t[0][(reg ^ *p) & 0xFF] ^ (reg >> 8);
    } else {
        for (; n >= 8; p += 8, n -= 8) {
            const uint64_t x = reg ^ LoadBe64(p);
            reg = t[7][x >> 56] ^ t[6][(x >> 48) & 0xFF] ^ t[5][(x >> 40) & 0xFF] ^ t[4][(x >> 32) & 0xFF] ^
                  t[3][(x >> 24) & 0xFF] ^ t[2][(x >> 16) & 0xFF] ^ t[1][(x >> 8) & 0xFF] ^ t[0][x & 0xFF];
        }
        for (; n > 0; ++p, --n) reg = t[0][(reg >> 56) ^ *p] ^ (reg << 8);
    }
    return reg;
}

// STM32 words: each 32-bit little-endian word enters most significant byte
// first, so two words are one big-endian 64-bit step.
uint64_t Stm32Update(const CrcTables& tables, uint64_t reg, const uint8_t* p, size_t n) {
    const auto& t = tables.t;
    for (; n >= 8; p += 8, n -= 8) {
        const uint64_t x = reg ^ (static_cast<uint64_t>(LoadLe32(p)) << 32 | LoadLe32(p + 4));
        reg = t[7][x >> 56] ^ t[6][(x >> 48) & 0xFF] ^ t[5][(x >> 40) & 0xFF] ^ t[4][(x >> 32) & 0xFF] ^
              t[3][(x >> 24) & 0xFF] ^ t[2][(x >> 16) & 0xFF] ^ t[1][(x >> 8) & 0xFF] ^ t[0][x & 0xFF];
    }
    for (; n >= 4; p += 4, n -= 4)
        for (int i = 3; i >= 0; --i) reg = t[0][(reg >> 56) ^ p[i]] ^ (reg << 8);
    return reg;
}

std::string NormalName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '-' || c == '/' || c == '_' || c == ' ') continue;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

constexpr CrcModel M(int width, uint64_t poly, uint64_t init, bool refin, bool refout, uint64_t xorout) {
    return CrcModel{width, poly, init, refin, refout, xorout};
}

// The catalogue's parameters and check values; the aliases are the
// catalogue's, and the short names build scripts use.
const CrcPreset kPresets[] = {
    {"CRC-8/SMBUS", "CRC-8", M(8, 0x07, 0, false, false, 0), 0xF4},
    {"CRC-8/MAXIM-DOW", "CRC-8/MAXIM DOW-CRC", M(8, 0x31, 0, true, true, 0), 0xA1},
    {"CRC-16/ARC", "ARC CRC-16 CRC-16/LHA CRC-IBM", M(16, 0x8005, 0, true, true, 0), 0xBB3D},
    {"CRC-16/IBM-3740", "CRC-16/AUTOSAR CRC-16/CCITT-FALSE", M(16, 0x1021, 0xFFFF, false, false, 0), 0x29B1},
    {"CRC-16/XMODEM", "CRC-16/ACORN CRC-16/LTE CRC-16/V-41-MSB XMODEM ZMODEM", M(16, 0x1021, 0, false, false, 0),
     0x31C3},
    {"CRC-16/KERMIT", "CRC-16/BLUETOOTH CRC-16/CCITT CRC-16/CCITT-TRUE CRC-16/V-41-LSB CRC-CCITT KERMIT",
     M(16, 0x1021, 0, true, true, 0), 0x2189},
    {"CRC-16/MODBUS", "MODBUS", M(16, 0x8005, 0xFFFF, true, true, 0), 0x4B37},
    {"CRC-32/ISO-HDLC", "CRC-32 CRC-32/ADCCP CRC-32/V-42 CRC-32/XZ PKZIP",
     M(32, 0x04C11DB7, 0xFFFFFFFF, true, true, 0xFFFFFFFF), 0xCBF43926},
    {"CRC-32/ISCSI", "CRC-32/BASE91-C CRC-32/CASTAGNOLI CRC-32/INTERLAKEN CRC-32C",
     M(32, 0x1EDC6F41, 0xFFFFFFFF, true, true, 0xFFFFFFFF), 0xE3069283},
    {"CRC-32/MPEG-2", "", M(32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0), 0x0376E6E7},
    {"CRC-32/BZIP2", "CRC-32/AAL5 CRC-32/DECT-B B-CRC-32", M(32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0xFFFFFFFF),
     0xFC891918},
    {"CRC-64/XZ", "CRC-64/GO-ECMA", M(64, 0x42F0E1EBA9EA3693, ~0ull, true, true, ~0ull), 0x995DC9BBDF1939FA},
    {"CRC-64/ECMA-182", "CRC-64", M(64, 0x42F0E1EBA9EA3693, 0, false, false, 0), 0x6C40DF5F0B497347},
    // Not in the catalogue: CRC-32/MPEG-2 over 32-bit little-endian words, the
    // value the MCU's CRC unit gives for the same memory.
    {"STM32", "STM32-CRC", M(32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0), 0xAFF19057, CrcFeed::Stm32Words},
};

}  // namespace

std::span<const CrcPreset> CrcPresets() { return kPresets; }

const CrcPreset* FindCrcPreset(std::string_view name) {
    const std::string want = NormalName(name);
    if (want.empty()) return nullptr;
    for (const CrcPreset& p : kPresets) {
        if (NormalName(p.name) == want) return &p;
        std::string_view rest = p.aliases;
        while (!rest.empty()) {
            const size_t space = rest.find(' ');
            if (NormalName(rest.substr(0, space)) == want) return &p;
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
    }
    return nullptr;
}

bool IsValidCrcModel(const CrcModel& m, std::string* why) {
    auto fail = [&](std::string reason) {
        if (why) *why = std::move(reason);
        return false;
    };
    if (m.width < 8 || m.width > 64) return fail(Format("the width %d is not 8 to 64 bits", m.width));
    const uint64_t mask = Mask(m.width);
    if ((m.poly & ~mask) || (m.init & ~mask) || (m.xorout & ~mask))
        return fail(Format("a value does not fit the width of %d bits", m.width));
    if ((m.poly & 1) == 0) return fail("the polynomial must have its lowest bit set");
    return true;
}

Crc::Crc(const CrcModel& model, CrcFeed feed) : model_(model), feed_(feed), tables_(MakeTables(model)) {
    reg_ = model.refin ? Reflect(model.init, model.width) : model.init << (64 - model.width);
}

void Crc::UpdateBytes(const uint8_t* p, size_t n) {
#if defined(TORVANE_CRC32C_SSE42)
    if (feed_ == CrcFeed::Bytes && IsCrc32c(model_) && HasSse42()) {
        reg_ = Crc32cHardware(reg_, p, n);
        return;
    }
#endif
    if (feed_ == CrcFeed::Bytes) reg_ = PortableUpdate(model_, *tables_, reg_, p, n);
    else reg_ = Stm32Update(*tables_, reg_, p, n);
}

void Crc::Update(std::span<const uint8_t> bytes) {
    const uint8_t* p = bytes.data();
    size_t n = bytes.size();
    if (feed_ == CrcFeed::Stm32Words) {
        // Whole words only; the bytes of a word not yet complete wait.
        while (wordFill_ > 0 && wordFill_ < 4 && n > 0) {
            word_[wordFill_++] = *p++;
            --n;
        }
        if (wordFill_ == 4) {
            UpdateBytes(word_, 4);
            wordFill_ = 0;
        }
        const size_t whole = n & ~size_t{3};
        UpdateBytes(p, whole);
        p += whole;
        n -= whole;
        for (; n > 0; --n) word_[wordFill_++] = *p++;
        return;
    }
    UpdateBytes(p, n);
}

uint64_t Crc::Value() const {
    uint64_t reg = reg_;
    if (feed_ == CrcFeed::Stm32Words && wordFill_ > 0) {
        uint8_t last[4] = {};
        std::memcpy(last, word_, wordFill_);
        reg = Stm32Update(*tables_, reg, last, 4);
    }
    const int w = model_.width;
    uint64_t r = model_.refin ? reg : reg >> (64 - w);
    if (model_.refin != model_.refout) r = Reflect(r, w);
    return (r ^ model_.xorout) & Mask(w);
}

uint64_t ComputeCrc(const CrcModel& model, std::span<const uint8_t> bytes, CrcFeed feed) {
    Crc crc(model, feed);
    crc.Update(bytes);
    return crc.Value();
}

uint64_t ComputeCrcPortable(const CrcModel& model, std::span<const uint8_t> bytes) {
    const std::shared_ptr<const CrcTables> tables = MakeTables(model);
    uint64_t reg = model.refin ? Reflect(model.init, model.width) : model.init << (64 - model.width);
    reg = PortableUpdate(model, *tables, reg, bytes.data(), bytes.size());
    const int w = model.width;
    uint64_t r = model.refin ? reg : reg >> (64 - w);
    if (model.refin != model.refout) r = Reflect(r, w);
    return (r ^ model.xorout) & Mask(w);
}

std::string CrcText(uint64_t value, int width) {
    return Format("%0*llX", (width + 3) / 4, static_cast<unsigned long long>(value));
}

}  // namespace torvane
