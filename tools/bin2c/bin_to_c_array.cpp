#include "tools/bin2c/bin_to_c_array.h"

namespace torvane {
namespace {

constexpr char kHead[] = "const UINT8 Bin_Tab[ ] =\r\n{\r\n\t";
constexpr char kTail[] = "\r\n};";

}  // namespace

bool FitsBinToCLimit(uint64_t length) { return length <= kMaxBinToCLength; }

std::string BinToCArray(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(sizeof kHead - 1 + 5 * bytes.size() + sizeof kTail - 1);
    text += kHead;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i) text += ',';
        text += "0X";
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    text += kTail;
    return text;
}

std::string ProposedTargetPath(const std::string& sourcePath) {
    const size_t dot = sourcePath.rfind('.');
    return (dot == std::string::npos ? sourcePath : sourcePath.substr(0, dot)) + ".h";
}

}  // namespace torvane
