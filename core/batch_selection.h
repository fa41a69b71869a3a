#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/file_entry.h"

namespace torvane {

class FileList;

// The working state of one batch operation. Working copies are kept per row
// index; everything else per position k in the row list (the k-th selected file).
struct BatchSelection {
    std::array<FileEntry, kRowCount> WorkingCopies{};
    std::array<int32_t, kRowCount> Rows{-1, -1, -1, -1, -1, -1};  // ascending; -1 = empty slot
    int32_t Count = 0;
    std::array<int32_t, kRowCount> StepNo{};
    std::array<std::string, kRowCount> ConvertedName{};
    std::array<int32_t, kRowCount> ConvertedSize{};

    // The working copy of the k-th selected file.
    FileEntry& Entry(int k) { return WorkingCopies.at(static_cast<size_t>(Rows.at(static_cast<size_t>(k)))); }
    const FileEntry& Entry(int k) const {
        return WorkingCopies.at(static_cast<size_t>(Rows.at(static_cast<size_t>(k))));
    }
};

// Resets the working copies (empty name, all numbers 0), the count and the row list.
void ResetSelection(BatchSelection& selection);

// Empties every ConvertedName and zeroes every ConvertedSize.
void ResetConverted(BatchSelection& selection);

// Collects every row in order and takes a working copy of each selected one.
void GatherSelection(BatchSelection& selection, FileList& list);

}  // namespace torvane
