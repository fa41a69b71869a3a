#include "tools/testbin/test_image.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <random>

namespace torvane {

RandomValues ClockSeededRandom() {
    auto engine = std::make_shared<std::mt19937>(static_cast<std::mt19937::result_type>(std::time(nullptr)));
    return [engine] { return static_cast<uint32_t>((*engine)()); };
}

std::optional<std::vector<uint8_t>> MakeTestImage(uint32_t length, uint32_t start, uint32_t end, bool random,
                                                  uint8_t fill, RandomValues values) {
    if (length == 0 || length > kMaxTestImageLength || start > end || end > length - 1) return std::nullopt;
    std::vector<uint8_t> image(length, 0x00);
    if (!random) {
        std::fill(image.begin() + start, image.begin() + end + 1, fill);
        return image;
    }
    if (!values) values = ClockSeededRandom();
    for (uint32_t i = start; i <= end; ++i) image[i] = static_cast<uint8_t>(values() % 255u);
    return image;
}

}  // namespace torvane
