#include "core/merge_layout.h"

#include <algorithm>

namespace torvane {
namespace {

bool Fits(int64_t at, int64_t size) { return at >= 0 && size >= 0 && at + size <= kMergedImageSize; }

}  // namespace

MergeCursor::Case MergeCursor::Classify(int64_t offset, int64_t size) const {
    if (offset < 0 || size > kMergedImageSize) return Case::OutOfRange;
    if (offset < previousEnd_) return Case::Overlap;
    if (offset + size > kMergedImageSize) return Case::TooLarge;  // exactly 6 MiB still fits
    return Case::Fits;
}

std::optional<MergeCursor::Placement> MergeCursor::AtOffset(int64_t offset, int64_t size, uint8_t fill) {
    if (!Fits(offset, size)) return std::nullopt;
    Placement p;
    p.at = offset;
    // A gap is filled only between the image's end and a file placed beyond
    // it; a file that ends below the image's end changes neither.
    if (offset + size >= imageLength_) {
        if (offset > imageLength_) {
            p.fillFrom = imageLength_;
            p.fillTo = offset;
            p.shownFill = fill;
        }
        imageLength_ = offset + size;
    }
    previousEnd_ = offset + size;
    return p;
}

std::optional<MergeCursor::Placement> MergeCursor::Forced(int64_t offset, int64_t size) {
    if (!Fits(offset, size)) return std::nullopt;
    Placement p;
    p.at = offset;
    previousEnd_ = offset + size;
    imageLength_ = std::max(imageLength_, previousEnd_);
    return p;
}

std::optional<MergeCursor::Placement> MergeCursor::Appended(int64_t size) {
    if (!Fits(previousEnd_, size)) return std::nullopt;
    Placement p;
    p.at = previousEnd_;
    previousEnd_ += size;
    imageLength_ = std::max(imageLength_, previousEnd_);
    return p;
}

}  // namespace torvane
