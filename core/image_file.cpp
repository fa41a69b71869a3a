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
        // The segments' bytes go to the file as they lie, the gaps as fill.
        const std::vector<PlacedBytes> pieces = image.places();
        written = WriteFileInPieces(
            path, [&](const ByteSink& sink) { return WriteBinary(pieces, from, until, fill, sink); });
    } else {
        write.header = FileNameOf(path);
        // Refused before the file is touched.
        const std::string problem = WriteProblem(format, image, write);
        if (!problem.empty()) return problem;
        written = WriteFileInPieces(path, [&](const ByteSink& sink) {
            std::string unexpected;
            return WriteImage(format, image, write, sink, unexpected);
        });
    }
    if (!written) return FileProblem(path, FileUse::Write);
    return std::nullopt;
}

}  // namespace torvane
