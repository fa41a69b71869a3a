#include "core/file_entry.h"

#include "core/messages.h"

#include <climits>
#include <string_view>

#include "formats/image_formats.h"
#include "platform/code_page.h"

namespace torvane {

int32_t FileTypeOf(const std::string& fileName) {
    // "hex" in any case (BOOT.HEX, app.Hex), and ".ihx", the other name
    // toolchains give Intel HEX files. The rule looks at the name in the code
    // page. ASCII letters keep their bytes there, so a name ending in "hex" is
    // a HEX file and one not ending in "ex" is not, whatever the code page;
    // only "ex" after a character that is not ASCII needs the conversion (in a
    // double-byte code page that character's last byte may be an 'h').
    if (EndsInAnyCase(fileName, ".ihx")) return kHexFile;
    // S-records and ELF files are rows like HEX rows: decoded, not copied.
    const ImageFormat format = FormatOfName(fileName);
    if (format == ImageFormat::SRecord || format == ImageFormat::Elf) return kHexFile;
    const size_t n = fileName.size();
    if (!EndsInAnyCase(fileName, "ex")) return kBinFile;
    if (n >= 3 && (fileName[n - 3] == 'h' || fileName[n - 3] == 'H')) return kHexFile;
    if (n < 3 || static_cast<unsigned char>(fileName[n - 3]) < 0x80) return kBinFile;
    const std::string bytes = ToCodePage(fileName);
    return EndsInAnyCase(bytes, "hex") ? kHexFile : kBinFile;
}

const char* RowFormatWord(const std::string& fileName) {
    switch (FormatOfName(fileName)) {
        case ImageFormat::SRecord: return "S-record";
        case ImageFormat::Elf: return "ELF";
        case ImageFormat::IntelHex:
        case ImageFormat::Binary: break;
    }
    return "HEX";
}

std::string RowFileText(std::string_view text, const std::string& fileName) {
    std::string result = Localized(std::string(text));
    const std::string_view word = RowFormatWord(fileName);
    if (word == "HEX") return result;
    for (const std::string_view named : {std::string_view("HEX文件"), std::string_view("Hex文件"), std::string_view("HEX file"),
                                       std::string_view("Hex file")}) {
        const size_t at = result.find(named);
        if (at == std::string::npos) continue;
        result.replace(at, 3, word);
        break;
    }
    return result;
}

int32_t ParseDecimalField(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}


namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<uint64_t> ParseHexNumber(std::string_view text, unsigned maxDigits) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    uint64_t v = 0;
    for (const char c : text) {
        const int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        v = v << 4 | static_cast<uint64_t>(d);
    }
    return v;
}

int32_t ParseHexField(const std::string& text) {
    size_t i = 0;
    if (text.empty() || HexDigitValue(text[0]) < 0) return 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && HexDigitValue(text[2]) >= 0)
        i = 2;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = HexDigitValue(text[i]);
        if (d < 0) break;
        value = (value << 4) | static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull) return -1;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace torvane
