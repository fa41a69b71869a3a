#include "tools/bin2c/bin_to_c_array.h"

#include <cstring>

#include "platform/program_path.h"

namespace torvane {
namespace {

constexpr char kHead[] = "const UINT8 Bin_Tab[ ] =\r\n{\r\n\t";
constexpr char kStdintHead[] = "#include <stdint.h>\r\n\r\nconst uint8_t Bin_Tab[ ] =\r\n{\r\n\t";
constexpr char kTail[] = "\r\n};";
// A C file ends with a line break; the program's own form never had one.
constexpr char kStdintTail[] = "\r\n};\r\n";

}  // namespace

bool FitsBinToCLimit(uint64_t length) { return length <= kMaxBinToCLength; }

// ",0XHH" for every byte value: each item is formed by one 5-byte copy.
struct ItemTable {
    char items[256][5];
};

constexpr ItemTable MakeItemTable() {
    constexpr char kDigits[] = "0123456789ABCDEF";
    ItemTable t{};
    for (int b = 0; b < 256; ++b) {
        t.items[b][0] = ',';
        t.items[b][1] = '0';
        t.items[b][2] = 'X';
        t.items[b][3] = kDigits[b >> 4];
        t.items[b][4] = kDigits[b & 0x0F];
    }
    return t;
}

constexpr ItemTable kItems = MakeItemTable();

std::optional<CArrayType> CArrayTypeNamed(const std::string& name) {
    if (name == "UINT8") return CArrayType::Uint8;
    if (name == "uint8_t") return CArrayType::StdintUint8;
    return std::nullopt;
}

std::string BinToCArray(std::span<const uint8_t> bytes, CArrayType type) {
    const char* head = type == CArrayType::StdintUint8 ? kStdintHead : kHead;
    const size_t kHeadLength = std::strlen(head);
    const char* tail = type == CArrayType::StdintUint8 ? kStdintTail : kTail;
    const size_t kTailLength = std::strlen(tail);
    // The first item has no comma before it: 5 * L - 1 item bytes, plus head and tail.
    const size_t items = bytes.empty() ? 0 : 5 * bytes.size() - 1;
    std::string text(kHeadLength + items + kTailLength, '\0');
    char* out = text.data();
    std::memcpy(out, head, kHeadLength);
    out += kHeadLength;
    if (!bytes.empty()) {
        std::memcpy(out, kItems.items[bytes[0]] + 1, 4);
        out += 4;
        for (size_t i = 1; i < bytes.size(); ++i, out += 5) std::memcpy(out, kItems.items[bytes[i]], 5);
    }
    std::memcpy(out, tail, kTailLength);
    return text;
}

std::string ProposedTargetPath(const std::string& sourcePath) {
    const size_t dot = sourcePath.rfind('.');
    return (dot == std::string::npos ? sourcePath : sourcePath.substr(0, dot)) + ".h";
}

std::string DefaultTargetPath(const std::string& sourcePath) {
    const size_t separator = sourcePath.find_last_of(std::string{'/', kPathSeparator});
    const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = sourcePath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= nameStart;
    return (hasExtension ? sourcePath.substr(0, dot) : sourcePath) + ".h";
}

}  // namespace torvane
