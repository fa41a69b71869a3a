#include "tools/serialize/serial_number.h"

#include "core/file_entry.h"
#include "platform/format.h"

namespace torvane {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view lowerWord) {
    if (a.size() != lowerWord.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != lowerWord[i]) return false;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<std::string_view> SplitColons(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
        if (colon == std::string_view::npos) return parts;
        start = colon + 1;
    }
}

// 1 to 2 decimal digits, from 1 to `most`.
std::optional<int> SmallDecimal(std::string_view text, int most) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > most) return std::nullopt;
    return n;
}

std::optional<SerialPlace> Refuse(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return std::nullopt;
}

}  // namespace

uint32_t SerialPlace::Width() const {
    switch (kind) {
        case SerialKind::U8: return 1;
        case SerialKind::U16: return 2;
        case SerialKind::U32: return 4;
        case SerialKind::U64: return 8;
        case SerialKind::Decimal:
        case SerialKind::Hex: return static_cast<uint32_t>(digits);
    }
    return 0;
}

uint64_t SerialPlace::Largest() const {
    switch (kind) {
        case SerialKind::U8: return 0xFF;
        case SerialKind::U16: return 0xFFFF;
        case SerialKind::U32: return 0xFFFFFFFF;
        case SerialKind::U64: return UINT64_MAX;
        case SerialKind::Decimal: {
            // 10^20 - 1 passes 2^64 - 1: twenty digits hold every number.
            if (digits >= 20) return UINT64_MAX;
            uint64_t largest = 1;
            for (int i = 0; i < digits; ++i) largest *= 10;
            return largest - 1;
        }
        case SerialKind::Hex: return digits >= 16 ? UINT64_MAX : (uint64_t{1} << (4 * digits)) - 1;
    }
    return 0;
}

std::optional<SerialPlace> ParseSerialPlace(std::string_view text, std::string* why) {
    const std::vector<std::string_view> parts = SplitColons(text);
    if (parts.size() < 2 || parts.size() > 3)
        return Refuse(why, "takes AT:KIND, e.g. 100:u32, 100:u32:be, 7F00:dec:8 or 7F00:hex:6");
    SerialPlace place;
    const std::optional<uint64_t> at = ParseHexNumber(parts[0], 8);
    if (!at) return Refuse(why, "the address '" + std::string(parts[0]) + "' is not 1 to 8 hex digits");
    place.at = static_cast<uint32_t>(*at);
    const std::string_view kind = parts[1];
    struct Binary {
        const char* word;
        SerialKind kind;
    };
    static constexpr Binary kBinary[] = {
        {"u8", SerialKind::U8}, {"u16", SerialKind::U16}, {"u32", SerialKind::U32}, {"u64", SerialKind::U64}};
    for (const Binary& b : kBinary) {
        if (!SameWord(kind, b.word)) continue;
        place.kind = b.kind;
        if (parts.size() == 3) {
            if (SameWord(parts[2], "be"))
                place.bigEndian = true;
            else if (!SameWord(parts[2], "le"))
                return Refuse(why, "the byte order is be or le, not '" + std::string(parts[2]) + "'");
        }
        return place;
    }
    const bool decimal = SameWord(kind, "dec");
    if (!decimal && !SameWord(kind, "hex"))
        return Refuse(why, "the kind '" + std::string(kind) + "' is none of u8, u16, u32, u64, dec:W, hex:W");
    const int most = decimal ? 20 : 16;
    const std::optional<int> digits = parts.size() == 3 ? SmallDecimal(parts[2], most) : std::nullopt;
    if (!digits)
        return Refuse(why, Format("%s takes its number of digits, 1 to %d (%s:8)", decimal ? "dec" : "hex", most,
                                  decimal ? "dec" : "hex"));
    place.kind = decimal ? SerialKind::Decimal : SerialKind::Hex;
    place.digits = *digits;
    return place;
}

std::string SerialPlaceText(const SerialPlace& p) {
    switch (p.kind) {
        case SerialKind::Decimal: return Format("%X:dec:%d", p.at, p.digits);
        case SerialKind::Hex: return Format("%X:hex:%d", p.at, p.digits);
        case SerialKind::U8: return Format("%X:u8", p.at);
        default: break;
    }
    const unsigned bits = p.Width() * 8;
    return Format("%X:u%u%s", p.at, bits, p.bigEndian ? ":be" : "");
}

std::vector<uint8_t> EncodeSerial(const SerialPlace& place, uint64_t number) {
    std::vector<uint8_t> bytes(place.Width());
    const size_t n = bytes.size();
    switch (place.kind) {
        case SerialKind::Decimal:
        case SerialKind::Hex: {
            const uint64_t radix = place.kind == SerialKind::Decimal ? 10 : 16;
            for (size_t i = n; i-- > 0;) {
                bytes[i] = static_cast<uint8_t>("0123456789ABCDEF"[number % radix]);
                number /= radix;
            }
            break;
        }
        default:
            for (size_t i = 0; i < n; ++i) {
                bytes[place.bigEndian ? n - 1 - i : i] = static_cast<uint8_t>(number);
                number = n > 1 ? number >> 8 : 0;
            }
            break;
    }
    return bytes;
}

std::optional<uint64_t> ParseSerialNumber(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    const uint64_t radix = hex ? 16 : 10;
    uint64_t n = 0;
    for (const char c : text) {
        const int digit = hex ? HexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) return std::nullopt;
        if (n > (UINT64_MAX - static_cast<uint64_t>(digit)) / radix) return std::nullopt;
        n = n * radix + static_cast<uint64_t>(digit);
    }
    return n;
}

std::optional<uint64_t> ParseMac(std::string_view text) {
    std::string digits;
    if (text.size() == 17) {
        const char separator = text[2];
        if (separator != ':' && separator != '-') return std::nullopt;
        for (size_t i = 0; i < text.size(); ++i) {
            if (i % 3 == 2) {
                if (text[i] != separator) return std::nullopt;
            } else {
                digits += text[i];
            }
        }
    } else if (text.size() == 12) {
        digits = text;
    } else {
        return std::nullopt;
    }
    uint64_t mac = 0;
    for (const char c : digits) {
        const int v = HexValue(c);
        if (v < 0) return std::nullopt;
        mac = mac << 4 | static_cast<uint64_t>(v);
    }
    return mac;
}

std::array<uint8_t, kMacWidth> MacBytes(uint64_t mac) {
    std::array<uint8_t, kMacWidth> bytes{};
    for (size_t i = 0; i < kMacWidth; ++i) bytes[i] = static_cast<uint8_t>(mac >> (8 * (kMacWidth - 1 - i)));
    return bytes;
}

std::string MacText(uint64_t mac) {
    const std::array<uint8_t, kMacWidth> b = MacBytes(mac);
    return Format("%02X:%02X:%02X:%02X:%02X:%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
}

std::string MacNameText(uint64_t mac) { return Format("%012llX", static_cast<unsigned long long>(mac & kLargestMac)); }

std::optional<uint64_t> NthNumber(uint64_t first, uint64_t step, uint64_t n) {
    if (step != 0 && n > (UINT64_MAX - first) / step) return std::nullopt;
    return first + n * step;
}

std::optional<NamePattern> NamePattern::Parse(std::string_view text, std::string* why) {
    auto refuse = [why](std::string reason) {
        if (why) *why = std::move(reason);
        return std::optional<NamePattern>();
    };
    NamePattern p;
    p.text_ = text;
    auto literal = [&p](char c) {
        if (p.parts_.empty() || p.parts_.back().piece != Piece::Text) p.parts_.push_back(Part{Piece::Text, {}});
        p.parts_.back().text += c;
    };
    const size_t lastSeparator = text.find_last_of("/\\");
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '}') {
            if (i + 1 < text.size() && text[i + 1] == '}') {
                literal('}');
                ++i;
                continue;
            }
            return refuse(Format("the '}' at character %zu closes no placeholder (write }} for a brace)", i + 1));
        }
        if (c != '{') {
            literal(c);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '{') {
            literal('{');
            ++i;
            continue;
        }
        const size_t close = text.find('}', i);
        if (close == std::string_view::npos)
            return refuse(Format("the '{' at character %zu opens no placeholder (write {{ for a brace)", i + 1));
        const std::string_view name = text.substr(i + 1, close - i - 1);
        Piece piece;
        if (name == "serial")
            piece = Piece::Serial;
        else if (name == "serial:hex")
            piece = Piece::SerialHex;
        else if (name == "mac")
            piece = Piece::Mac;
        else {
            // Appended piece by piece: GCC 12 at -O3 takes "{" + string for an overlapping copy.
            std::string reason(1, '{');
            reason.append(name).append("} is none of {serial}, {serial:hex}, {mac}");
            return refuse(std::move(reason));
        }
        if (lastSeparator != std::string_view::npos && i < lastSeparator)
            return refuse("a placeholder stands in the folder part: every image of a run goes to one folder");
        p.parts_.push_back(Part{piece, {}});
        (piece == Piece::Mac ? p.mac_ : p.serial_) = true;
        i = close;
    }
    return p;
}

std::string NamePattern::Expand(uint64_t serial, uint64_t mac) const {
    std::string name;
    for (const Part& part : parts_) {
        switch (part.piece) {
            case Piece::Text: name += part.text; break;
            case Piece::Serial: name += Format("%llu", static_cast<unsigned long long>(serial)); break;
            case Piece::SerialHex: name += Format("%llX", static_cast<unsigned long long>(serial)); break;
            case Piece::Mac: name += MacNameText(mac); break;
        }
    }
    return name;
}

}  // namespace torvane
