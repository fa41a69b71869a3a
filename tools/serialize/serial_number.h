#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// The pieces of a serialised image that change from one device to the next:
// the serial number's place and form, the MAC address, and the name pattern
// of the files. Pure functions of text and numbers.

// How a serial number is written.
enum class SerialKind {
    U8,       // binary, 1 byte
    U16,      // binary, 2 bytes
    U32,      // binary, 4 bytes
    U64,      // binary, 8 bytes
    Decimal,  // ASCII decimal digits, zero-padded to `digits`
    Hex,      // ASCII upper-case hex digits, zero-padded to `digits`
};

// Where and how the serial number goes: the text AT:KIND of --serial.
struct SerialPlace {
    uint32_t at = 0;
    SerialKind kind = SerialKind::U32;
    int digits = 0;          // Decimal: 1..20, Hex: 1..16; 0 for the binary kinds
    bool bigEndian = false;  // U16..U64: most significant byte first

    uint32_t Width() const;                                                    // bytes it takes
    uint64_t FieldEnd() const { return static_cast<uint64_t>(at) + Width(); }  // one past its last byte
    // The largest number it can hold: 0xFF for u8, 10^W - 1 for dec:W ...
    uint64_t Largest() const;
};

// Reads AT:KIND: AT 1 to 8 hex digits (an optional "0x"); KIND u8, u16, u32
// or u64 with an optional ":be" (or ":le"), dec:W (W 1 to 20) or hex:W (W 1
// to 16), the words in any case. Nothing, with the reason, for other text.
std::optional<SerialPlace> ParseSerialPlace(std::string_view text, std::string* why = nullptr);
// The text ParseSerialPlace reads back as the same place: "100:u32",
// "7FF0:u16:be", "7F00:dec:8".
std::string SerialPlaceText(const SerialPlace& place);
// The bytes of `number` as the place writes them (Width() of them). The
// number must not pass Largest().
std::vector<uint8_t> EncodeSerial(const SerialPlace& place, uint64_t number);

// A serial number or a count on the command line and in a project: decimal
// digits, or "0x" and hex digits; up to 2^64 - 1. Nothing for other text.
std::optional<uint64_t> ParseSerialNumber(std::string_view text);

// MAC addresses, as a 48-bit number whose most significant byte is the
// first one sent.
inline constexpr uint64_t kLargestMac = 0xFFFFFFFFFFFFull;
inline constexpr uint32_t kMacWidth = 6;
// Reads six pairs of hex digits separated by ':' or '-' (00:11:22:AA:BB:CC,
// 00-11-22-aa-bb-cc) or twelve hex digits without separators.
std::optional<uint64_t> ParseMac(std::string_view text);
// "00:11:22:AA:BB:CC": the form of the manifest, the project and the output.
std::string MacText(uint64_t mac);
// "001122AABBCC": the form of {mac} in a file name, which ':' would make
// unusable on Windows.
std::string MacNameText(uint64_t mac);
// The six bytes in transmission order, the first octet first.
std::array<uint8_t, kMacWidth> MacBytes(uint64_t mac);

// The n-th number (from 0) of a run that starts at `first` and steps by
// `step`: nothing when it passes 2^64 - 1.
std::optional<uint64_t> NthNumber(uint64_t first, uint64_t step, uint64_t n);

// A file-name pattern: literal text with the placeholders {serial} (the
// number in decimal), {serial:hex} (in upper-case hex) and {mac} (twelve
// upper-case hex digits, MacNameText). "{{" and "}}" stand for one brace.
class NamePattern {
public:
    // Nothing, with the reason, for a '{' that opens no placeholder above, a
    // '}' alone, or a placeholder in the folder part of the path: every
    // image of a run goes to one folder.
    static std::optional<NamePattern> Parse(std::string_view text, std::string* why = nullptr);

    const std::string& text() const { return text_; }
    bool HasPlaceholder() const { return serial_ || mac_; }
    bool UsesSerial() const { return serial_; }
    bool UsesMac() const { return mac_; }
    // The name of one image. `mac` is ignored when the pattern has no {mac}.
    std::string Expand(uint64_t serial, uint64_t mac) const;

private:
    enum class Piece { Text, Serial, SerialHex, Mac };
    struct Part {
        Piece piece;
        std::string text;
    };
    std::string text_;
    std::vector<Part> parts_;
    bool serial_ = false;
    bool mac_ = false;
};

}  // namespace torvane
