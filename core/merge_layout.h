#pragma once

#include <cstdint>
#include <optional>

namespace torvane {

// The merged image holds 6 MiB; the output file is as long as the highest end
// any placed file reached.
inline constexpr int32_t kMergedImageSize = 0x600000;

// Where the merge puts each file, without the bytes: the running positions and
// the placement rules. The merge that writes an image and the map that only
// shows one both follow these rules, so they cannot disagree.
//
// Positions are signed 32-bit values in the rows; sums are taken in 64 bits so
// that a position near the top of the range cannot wrap into the image.
class MergeCursor {
public:
    // What a file at `offset` of `size` bytes meets, in the order the merge
    // tests it.
    enum class Case {
        OutOfRange,  // a negative offset, or a file larger than the image: refused
        Overlap,     // it starts before the previous file's end: ask force/append/cancel
        TooLarge,    // it would end past 6 MiB: ask append/cancel
        Fits,        // placed at its own offset
    };
    Case Classify(int64_t offset, int64_t size) const;

    struct Placement {
        int64_t at = 0;        // where the file's first byte goes
        int64_t fillFrom = 0;  // the gap filled before it: [fillFrom, fillTo)
        int64_t fillTo = 0;
        uint8_t shownFill = 0;  // the fill the log names: 0x00 unless a gap was filled
    };
    // Each places the file and moves the positions; nothing (and no change) when
    // the file would not lie wholly inside the image.
    // At its own offset (Case::Fits): a gap between the image's end and the
    // offset takes the file's fill byte.
    std::optional<Placement> AtOffset(int64_t offset, int64_t size, uint8_t fill);
    // At its own offset over the previous file (Overlap answered Yes): no fill.
    std::optional<Placement> Forced(int64_t offset, int64_t size);
    // At the previous file's end (Overlap answered No, TooLarge answered Yes).
    std::optional<Placement> Appended(int64_t size);

    // One past the last byte of the file placed last: the prompts' "结束地址".
    int64_t PreviousEnd() const { return previousEnd_; }
    // The highest end reached: the output length.
    int64_t ImageLength() const { return imageLength_; }

private:
    int64_t previousEnd_ = 0;
    int64_t imageLength_ = 0;
};

}  // namespace torvane
