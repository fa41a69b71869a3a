#include "core/file_entry.h"

#include "platform/code_page.h"

namespace torvane {

int32_t FileTypeOf(const std::string& fileName) {
    const std::string bytes = ToCodePage(fileName);
    if (bytes.size() >= 3 && bytes.compare(bytes.size() - 3, 3, "hex") == 0) return kHexFile;
    return kBinFile;
}

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

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
