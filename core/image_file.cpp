#include "core/image_file.h"

#include "formats/binary.h"
#include "platform/file_problems.h"
#include "platform/files.h"

namespace torvane {

std::optional<std::string> ImageFileBytes(ImageFormat format, const SparseImage& image, uint32_t from, uint64_t until,
                                          uint8_t fill, WriteOptions write, const std::string& path,
                                          std::vector<uint8_t>& bytes) {
    if (format == ImageFormat::Binary) {
        bytes = WriteBinary(image, from, until, fill);
        return std::nullopt;
    }
    write.header = FileNameOf(path);
    std::string problem;
    const std::string text = WriteImage(format, image, write, problem);
    if (!problem.empty()) return problem;
    bytes.assign(text.begin(), text.end());
    return std::nullopt;
}

std::optional<std::string> SaveImageFile(ImageFormat format, const SparseImage& image, uint32_t from, uint64_t until,
                                         uint8_t fill, WriteOptions write, const std::string& path) {
    bool written = false;
    if (format == ImageFormat::Binary) {
        // One segment that is the whole range is written as it stands.
        const std::vector<ImageSegment>& segments = image.segments();
        if (segments.size() == 1 && segments[0].address == from && segments[0].end() == until) {
            written = WriteWholeFile(path, segments[0].bytes.data(), segments[0].bytes.size());
        } else {
            const std::vector<uint8_t> binary = WriteBinary(image, from, until, fill);
            written = WriteWholeFile(path, binary.data(), binary.size());
        }
    } else {
        write.header = FileNameOf(path);
        std::string problem;
        const std::string text = WriteImage(format, image, write, problem);
        if (!problem.empty()) return problem;
        written = WriteWholeFile(path, text.data(), text.size());
    }
    if (!written) return FileProblem(path, FileUse::Write);
    return std::nullopt;
}

}  // namespace torvane
