#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace torvane {

// The longest test image, 2 MiB; this length itself is allowed.
inline constexpr uint32_t kMaxTestImageLength = 0x200000;

// A source of pseudo-random values, one call per random byte; each value is
// taken modulo 255, so a random byte is 0x00..0xFE and never 0xFF.
using RandomValues = std::function<uint32_t()>;

// A generator seeded with the current time in seconds.
RandomValues ClockSeededRandom();

// A test image of `length` bytes: 0x00 outside start..end (both inclusive),
// inside either `fill` or, when `random`, the next values of `values` modulo 255
// in address order (a clock-seeded generator when `values` is empty). Nothing
// unless 1 <= length <= kMaxTestImageLength and start <= end <= length - 1.
std::optional<std::vector<uint8_t>> MakeTestImage(uint32_t length, uint32_t start, uint32_t end, bool random,
                                                  uint8_t fill, RandomValues values = {});

}  // namespace torvane
