#pragma once

// How a reader tells its caller how far it has come (ReadProgress), shared by
// the record readers; not part of the formats' interface.

#include <cstdint>

#include "formats/image_formats.h"

namespace torvane {

class ProgressReports {
public:
    // A report at most every this many bytes: a view of the file then holds
    // about this much of it in memory.
    static constexpr uint64_t kStep = uint64_t{1} << 20;

    explicit ProgressReports(const ReadProgress& progress)
        : progress_(progress), next_(progress ? kStep : UINT64_MAX) {}

    // The reader needs no byte before `offset` any more.
    void Passed(uint64_t offset) {
        if (offset >= next_) [[unlikely]] {
            progress_(offset);
            next_ = offset + kStep;
        }
    }

private:
    const ReadProgress& progress_;
    uint64_t next_;
};

}  // namespace torvane
