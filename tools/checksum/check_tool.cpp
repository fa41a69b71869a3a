#include "tools/checksum/check_tool.h"

#include "core/messages.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <cstdio>
#include <vector>

#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "tools/checksum/check_value.h"
#include "core/decode_hex.h"
#include "core/file_entry.h"
#include "core/hex_field_key.h"
#include "formats/image_formats.h"

namespace torvane {
namespace {

// File lengths are 32-bit values in this tool.
constexpr uint64_t kMaxCheckFileLength = 0xFFFFFFFFull;

std::string TooLongReason(uint64_t length) {
    return Format("the file is %llu bytes long, more than the %llu bytes that are checked",
                  static_cast<unsigned long long>(length), static_cast<unsigned long long>(kMaxCheckFileLength));
}

// Runs the method over the whole file, read in pieces. Nothing when the file
// cannot be opened or read, is not a regular file or is 4 GiB or larger; the
// reason is then in `problem`.
std::optional<std::string> CheckFile(const std::string& path, CheckValueStream stream, std::string& problem) {
    // Reading is all a check value needs.
    if (!CanOpenRead(path)) {
        problem = FileProblem(path, FileUse::Read);
        return std::nullopt;
    }
    const std::optional<uint64_t> length = FileLength(path);
    if (!length) {
        problem = FileProblem(path, FileUse::Read);
        return std::nullopt;
    }
    if (*length > kMaxCheckFileLength) {
        problem = TooLongReason(*length);
        return std::nullopt;
    }
    std::FILE* f = OpenReadStream(path);
    if (!f) {
        problem = FileProblem(path, FileUse::Read);
        return std::nullopt;
    }
    // A multiple of 64 bytes, as the stream wants for every piece but the last;
    // large enough for few reads, and on huge pages, so that filling it costs
    // next to no page faults. The stream's own buffer of the C library stays out.
    ByteBuffer buffer(size_t{1} << 21, false);
    std::setvbuf(f, nullptr, _IONBF, 0);
    uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
        total += got;
        if (total > kMaxCheckFileLength) ok = false;
        if (!ok) break;
        stream.Add(std::span<const uint8_t>(buffer.data(), got));
        if (got < buffer.size()) break;
    }
    if (!ok) problem = TooLongReason(total);
    if (ok && std::ferror(f) != 0) {
        problem = FileProblem(path, FileUse::Read);
        ok = false;
    }
    std::fclose(f);
    if (!ok) return std::nullopt;
    return stream.Finish();
}

// The largest described file read, as torvane-cli convert reads.
constexpr uint64_t kDescribedReadLimit = 256u << 20;

// Runs the method over the data a described file lays out: its segments in
// address order with the gaps between them as 0x00. Nothing when the file
// cannot be read, does not read whole or spans too much; the box and the
// reason are then shown here.
std::optional<std::string> CheckImageData(const std::string& path, CheckValueStream stream, Prompts& prompts) {
    ReadFailure why = ReadFailure::Unreadable;
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kDescribedReadLimit, &why);
    if (!bytes) {
        ShowStop(prompts, kCheckOpenFailedMessage);
        ExplainFailure(prompts, 0, path,
                       why == ReadFailure::TooLarge ? std::string("the file is larger than 256 MiB")
                                                    : FileProblem(path, FileUse::Read));
        return std::nullopt;
    }
    const ImageRead read = ReadImage(FormatOfName(path), *bytes);
    if (!read.ok()) {
        ShowStop(prompts, RowFileText(kBadHexFileMessage, path));
        ExplainFailure(prompts, 0, path, read.reason);
        return std::nullopt;
    }
    const SparseImage& image = read.image;
    if (image.end() - image.lowest() > kCheckImageDataLimit) {
        ShowStop(prompts, Format(Localized(kCheckImageTooLargeFormat), RowFormatWord(path)));
        ExplainFailure(prompts, 0, path,
                       Format("the data spans 0x%08X to 0x%08llX, more than the 64 MiB a BIN of it may have",
                              image.lowest(), static_cast<unsigned long long>(image.end() - 1)));
        return std::nullopt;
    }
    // The stream takes whole 64-byte blocks in every piece but the last: the
    // segments and their gaps are gathered into one buffer of such blocks.
    std::vector<uint8_t> buffer;
    buffer.reserve(size_t{1} << 20);
    auto put = [&](const uint8_t* from, uint64_t count, bool zero) {
        while (count > 0) {
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(count, buffer.capacity() - buffer.size()));
            if (zero) buffer.insert(buffer.end(), piece, uint8_t{0});
            else buffer.insert(buffer.end(), from, from + piece);
            if (!zero) from += piece;
            count -= piece;
            if (buffer.size() == buffer.capacity()) {
                stream.Add(buffer);
                buffer.clear();
            }
        }
    };
    uint64_t at = image.lowest();
    for (const ImageSegment& segment : image.segments()) {
        put(nullptr, segment.address - at, true);
        put(segment.bytes.data(), segment.bytes.size(), false);
        at = segment.end();
    }
    stream.Add(buffer);
    return stream.Finish();
}

}  // namespace

bool DescribesData(const std::string& path) { return FormatOfName(path) != ImageFormat::Binary; }

std::string CheckFileNote(const std::string& path) {
    if (!DescribesData(path)) return std::string();
    const char* word = RowFormatWord(path);
    if (FormatOfName(path) == ImageFormat::Elf)
        return Localized("ELF文件默认按整个文件的字节计算校验值，而不是按其中的数据；选“按ELF文件描述的数据计算”则按"
               "其可装载的数据计算（从最低地址到最高地址，空隙为0x00，与转换成的BIN文件相同）。");
    return Format(Localized("%s文件是文本，默认按文件的文本计算校验值，而不是按其中的数据；选“按%s文件描述的数据计算”则按"
                  "其数据计算（从最低地址到最高地址，空隙为0x00，与转换成的BIN文件相同）。"),
                  word, word);
}

std::string ImageDataCaption(const std::string& path) {
    return DescribesData(path) ? Format(Localized("按%s文件描述的数据计算"), RowFormatWord(path)) : std::string();
}

CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText, int selectedIndex,
                                 Prompts& prompts, CheckSource source) {
    const std::optional<ChecksumMethod> method = ChecksumMethodAt(selectedIndex);
    return RunCheckComputation(pathText, dataText,
                               method ? std::optional<CheckValueStream>(std::in_place, *method) : std::nullopt, prompts,
                               source);
}

CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText,
                                 const std::optional<CheckValueStream>& method, Prompts& prompts, CheckSource source) {
    CheckOutcome outcome;
    if (pathText.empty() && dataText.empty()) {
        ShowWarning(prompts, kCheckNothingMessage);
        ExplainFailure(prompts, 0, "", "neither a file nor data was given");
        outcome.ClearSelection = true;
        outcome.ResultText = std::string();
        outcome.Failed = true;
        return outcome;
    }

    if (!pathText.empty()) {
        // The file is opened even when no method is chosen, so a bad path is
        // reported either way; it is read only for a method.
        if (!method) {
            if (!CanOpenRead(pathText)) {
                const std::string problem = FileProblem(pathText, FileUse::Read);
                ShowStop(prompts, kCheckOpenFailedMessage);
                ExplainFailure(prompts, 0, pathText, problem);
                outcome.ResultText = std::string();
                outcome.Failed = true;
            }
            return outcome;
        }
        if (source == CheckSource::ImageData && DescribesData(pathText)) {
            std::optional<std::string> value = CheckImageData(pathText, *method, prompts);
            outcome.ResultText = value ? std::move(*value) : std::string();
            outcome.Failed = !value;
            return outcome;
        }
        std::string problem;
        std::optional<std::string> text = CheckFile(pathText, *method, problem);
        if (!text) {
            ShowStop(prompts, kCheckOpenFailedMessage);
            ExplainFailure(prompts, 0, pathText, problem);
            outcome.ResultText = std::string();
            outcome.Failed = true;
            return outcome;
        }
        outcome.ResultText = std::move(text);
        return outcome;
    }

    std::optional<std::vector<uint8_t>> bytes;
    std::string why;
    try {
        bytes = ParseHexData(dataText, &why);
    } catch (const std::bad_alloc&) {
        bytes.reset();
        why = "out of memory";
    }
    if (!bytes) {
        ShowWarning(prompts, kCheckDataErrorMessage);
        ExplainFailure(prompts, 0, "", why);
        outcome.ResultText = std::string();
        outcome.Failed = true;
        return outcome;
    }
    if (method) {
        CheckValueStream stream = *method;
        stream.Add(*bytes);
        outcome.ResultText = stream.Finish();
    }
    return outcome;
}

bool AcceptsCheckDataKey(char32_t ch) {
    // The "0x" of the usual notation can be typed too.
    return AcceptsHexFieldKey(ch) || ch == U'x' || ch == U'X';
}

std::optional<std::string> BrowseCheckFile(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kCheckFileFilter;
    dialog.kind = FileKind::CheckFile;
    return prompts.OpenFile(dialog);
}

}  // namespace torvane
