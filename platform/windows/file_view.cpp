#include "platform/file_view.h"

namespace torvane {

// Windows keeps a mapped file from being cut short, but a view of a file on a
// share raises an exception when the share goes away mid-read; the file is
// read whole instead, which is also what the program did before views.
std::optional<FileView> FileView::Open(const std::string& path, uint64_t maxSize, ReadFailure* why) {
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, maxSize, why);
    if (!bytes) return std::nullopt;
    FileView view;
    view.copy_ = std::move(*bytes);
    view.data_ = view.copy_.data();
    view.size_ = view.copy_.size();
    return view;
}

void FileView::Release(uint64_t) {}

bool FileView::CutShort() const { return false; }

void FileView::Close() {
    data_ = nullptr;
    size_ = 0;
    copy_.clear();
}

}  // namespace torvane
