#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/image_formats.h"

namespace torvane {

// The largest BIN an image is saved as, and the most a field written past an
// image's end may make it grow, whatever its format: 64 MiB.
inline constexpr uint64_t kBinOutputLimit = 64u << 20;

// Saves `image` as `format` at `path` (replacing it safely): a BIN of
// [from, until) with `fill` in the gaps, or the records of a text format (its
// S0 header the file's name). The file is written in pieces as they are made,
// never whole in memory. The problem, in English, when it cannot be made or
// written.
std::optional<std::string> SaveImageFile(ImageFormat format, const SparseImage& image, uint32_t from, uint64_t until,
                                         uint8_t fill, WriteOptions write, const std::string& path);

// The bytes SaveImageFile writes for `path` (whose name an S-record file's S0
// header takes), whole, into `bytes`: for a caller that needs them before
// the file is written (the serialiser hashes each image). The problem, in
// English, when the options cannot hold the image.
std::optional<std::string> ImageFileBytes(ImageFormat format, const SparseImage& image, uint32_t from, uint64_t until,
                                          uint8_t fill, WriteOptions write, const std::string& path,
                                          std::vector<uint8_t>& bytes);

}  // namespace torvane
