#include "core/merge.h"

#include "core/messages.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/decode_hex.h"
#include "core/hex_to_bin.h"
#include "core/image_file.h"
#include "core/memory_map.h"
#include "core/workspace.h"
#include "formats/image_formats.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "platform/sized_files.h"

namespace torvane {
namespace {

// How the merge of one file ended.
enum class FileOutcome {
    Placed,
    LeftOut,  // not in the image (a HEX file not converted, a changed file); the merge goes on
    Ended,    // the merge stops without an output file (unreadable, refused, cancelled)
};

// One run of the merge: the image, the positions and the files the image lacks.
// A plan runs the same steps on a scratch workspace without the image: it
// writes no file, shows no box, and answers the questions from fixed answers.
class MergeRun {
public:
    MergeRun(Workspace& ws, const MergeAnswers* plan)
        : ws_(ws), sel_(ws.selection()), log_(ws.log()), prompts_(ws.prompts()), plan_(plan) {
        if (!plan_) image_.emplace(kMergedImageSize);
    }

    FileOutcome MergeFile(int k);
    bool Finish(const std::string& output);
    MergeMap Map() const {
        MergeMap map = recorder_.Finish(std::max(cursor_.ImageLength(), imageLength_));
        map.fields = fields_;
        map.base = base_;
        return map;
    }
    void Stop(int32_t row, std::string reason) { recorder_.Stop(row, std::move(reason)); }

private:
    // The k-th file's source: a BIN file read whole at its recorded size, or a
    // HEX file converted in memory.
    struct Source {
        std::string path;
        int32_t size = 0;
        ByteBuffer bytes;
        std::optional<ConvertedImage> converted;
        const uint8_t* data() const { return converted ? converted->data() : bytes.data(); }
    };
    std::optional<Source> ReadSource(int k, FileOutcome& failure);
    FileOutcome AskOverlap(int k, const Source& source, int64_t offset);
    FileOutcome AskSize(int k, const Source& source, int64_t offset);
    FileOutcome Append(int k, const Source& source);
    enum class How { AtOffset, Forced, Appended };
    FileOutcome Copy(int k, const Source& source, const MergeCursor::Placement& placed, How how);
    FileOutcome Refuse(int k, const Source& source, int64_t at);
    FileOutcome Cancel(int k, const Source& source, const std::string& reason);
    // Asks whether to write an image that lacks the files left out; true for Yes.
    bool WriteIncomplete(const std::string& output);
    // The merge's fields in image offsets, for an image whose first address
    // is `origin` in the fields' addresses; nothing, after refusing the
    // merge, when they cannot be written.
    std::optional<std::vector<FieldSpec>> ImageFields(uint32_t origin);
    // The file before the k-th among the selected ones, whether or not it was placed.
    int32_t PreviousFileNo(int k) const { return k > 0 ? sel_.Entry(k - 1).FileNo : 0; }
    int32_t& Step(int k) { return sel_.StepNo[static_cast<size_t>(k)]; }

    // The question's answer: the user's, or in a plan the fixed one for its kind.
    Answer Ask(const MessageBox& box);
    void LeaveOut(int k, std::string reason) {
        leftOut_.push_back(sel_.Entry(k).FileNo);
        recorder_.LeaveOut(sel_.Entry(k).FileNo, std::move(reason));
    }

    Workspace& ws_;
    BatchSelection& sel_;
    OperationLog& log_;
    Prompts& prompts_;
    const MergeAnswers* plan_;
    std::optional<ZeroBuffer> image_;  // none in a plan
    uint8_t lastFill_ = 0;             // the fill byte of the file placed last
    MergeCursor cursor_;
    MergeMapRecorder recorder_;
    std::vector<int32_t> leftOut_;  // FileNo of each selected file the image lacks
    std::vector<MapField> fields_;
    int64_t imageLength_ = 0;  // with the fields
    // Of the HEX, S-record and ELF files placed: whether any was, whether all
    // lie at or above the flash base, and the first start address among them.
    bool anyConverted_ = false;
    uint32_t base_ = 0;  // the address of the image's first byte, once Finish has run
    bool allAtFlash_ = true;
    std::optional<uint32_t> start_;
};

Answer MergeRun::Ask(const MessageBox& box) {
    if (!plan_) return prompts_.Show(box);
    if (box.kind == MessageKind::MergeOverlap) {
        switch (plan_->overlap) {
            case MergeAnswers::Overlap::Force: return Answer::Yes;
            case MergeAnswers::Overlap::Append: return Answer::No;
            case MergeAnswers::Overlap::Cancel: return Answer::Cancel;
        }
    }
    // A row the user let through as BIN asks nothing; any other one stays out.
    if (box.kind == MessageKind::HexTextAsBin) return Answer::No;
    if (box.kind == MessageKind::MergeIncomplete)
        return plan_->incomplete == MergeAnswers::Incomplete::Write ? Answer::Yes : Answer::No;
    return plan_->oversize == MergeAnswers::Oversize::Append ? Answer::Yes : Answer::No;
}

std::optional<MergeRun::Source> MergeRun::ReadSource(int k, FileOutcome& failure) {
    const FileEntry& e = sel_.Entry(k);
    Source source{e.FileName, e.FileSize, {}, std::nullopt};
    if (e.FileType == kHexFile) {
        // Converted in memory: a merge writes no file but its output, so a
        // BIN file of the user's beside the HEX file is never replaced.
        ConvertedImage converted;
        if (!ConvertHexFile(ws_, k, ConvertMode::InMemory, &converted)) {
            log_.Add("");
            const FailureReason& why = prompts_.LastReason();
            LeaveOut(k, why.row == e.FileNo && !why.reason.empty() ? why.reason : "the HEX file could not be converted");
            failure = FileOutcome::LeftOut;
            return std::nullopt;
        }
        source.size = static_cast<int32_t>(converted.length);
        source.converted = std::move(converted);
        return source;
    }

    // A recorded size that no row could have produced counts as unreadable. A
    // plan only compares the length.
    SizedRead read;
    if (plan_) {
        const std::optional<uint64_t> length = FileLength(source.path);
        if (length && source.size >= 0) {
            read.status = *length == static_cast<uint64_t>(source.size) ? SizedReadStatus::Ok
                                                                        : SizedReadStatus::SizeChanged;
            read.actualLength = *length;
        }
    } else if (source.size >= 0 && CanOpenRead(source.path)) {
        read = ReadRecordedFile(source.path, source.size, kMergedImageSize);
    }
    if (read.status == SizedReadStatus::Unreadable) {
        const std::string problem = source.size < 0
                                        ? Format("the recorded size %d bytes is no file's size", source.size)
                                        : FileProblem(source.path, FileUse::Read);
        log_.Addf(Localized("文件%d：#第%d步：文件%s读取数据失败\r\n"), e.FileNo, Step(k), source.path.c_str());
        ExplainFailure(prompts_, e.FileNo, source.path, problem);
        log_.Add("");
        recorder_.Stop(e.FileNo, "the file cannot be read");
        failure = FileOutcome::Ended;
        return std::nullopt;
    }
    if (read.status == SizedReadStatus::SizeChanged) {
        // Placed at its recorded size it would match neither version of the
        // file: it is left out, and the end of the merge says so.
        ReportChangedFile(log_, prompts_, e.FileNo, Step(k), source.path, source.size, read.actualLength);
        log_.Add("");
        LeaveOut(k, "the file changed since it was chosen");
        failure = FileOutcome::LeftOut;
        return std::nullopt;
    }
    source.bytes = std::move(read.bytes);
    log_.Addf(Localized("文件%d：#第%d步：文件%s已读取%d数据\r\n"), e.FileNo, Step(k), source.path.c_str(), source.size);
    ++Step(k);
    // HEX text under a BIN name would go into the image as its characters.
    const bool asBin = ws_.rows().Row(sel_.Rows[static_cast<size_t>(k)]).hexTextAsBin;
    std::optional<std::vector<uint8_t>> head;  // a plan reads only the first line
    if (plan_ && !asBin) head = ReadFilePrefix(source.path, std::min<size_t>(kHexLineProbe, static_cast<size_t>(source.size)));
    const std::span<const uint8_t> start =
        head ? std::span<const uint8_t>(*head) : std::span<const uint8_t>(source.bytes.data(), source.bytes.size());
    if (!asBin && StartsWithHexRecord(start) &&
        Ask(HexTextAsBinQuestion(e, Localized("合并"))) != Answer::Yes) {
        log_.Addf(Localized("文件%d：#第%d步：文件%s的内容是HEX格式的文本，未作为BIN文件合并\r\n"), e.FileNo, Step(k),
                  source.path.c_str());
        ExplainFailure(prompts_, e.FileNo, source.path, kHexTextAsBinReason);
        log_.Add("");
        LeaveOut(k, kHexTextAsBinReason);
        failure = FileOutcome::LeftOut;
        return std::nullopt;
    }
    return source;
}

FileOutcome MergeRun::MergeFile(int k) {
    const FileEntry& e = sel_.Entry(k);
    Step(k) = 1;
    FileOutcome failure = FileOutcome::Ended;
    const std::optional<Source> source = ReadSource(k, failure);
    if (!source) return failure;

    const int64_t offset = e.BINOffset;
    switch (cursor_.Classify(offset, source->size)) {
        case MergeCursor::Case::OutOfRange: return Refuse(k, *source, offset);
        case MergeCursor::Case::Overlap: return AskOverlap(k, *source, offset);
        case MergeCursor::Case::TooLarge: return AskSize(k, *source, offset);
        case MergeCursor::Case::Fits: break;
    }
    const std::optional<MergeCursor::Placement> placed = cursor_.AtOffset(offset, source->size, FillByte(e.PolishData));
    if (!placed) return Refuse(k, *source, offset);
    return Copy(k, *source, *placed, How::AtOffset);
}

FileOutcome MergeRun::AskOverlap(int k, const Source& source, int64_t offset) {
    const FileEntry& e = sel_.Entry(k);
    const int32_t previous = PreviousFileNo(k);
    const std::string question = Format(
        Localized("文件%d当前偏移地址0x%.8X小于文件%d在FLASH存储空间的结束地址0x%.8X，是否强制插入？\r\n"
        " 选是，该文件将强制插入到偏移地址处\r\n 选否，则该文件将追加到文件%d结束地址处\r\n"
        " 选取消，则取消合并操作\r\n"),
        e.FileNo, static_cast<uint32_t>(offset), previous, static_cast<uint32_t>(cursor_.PreviousEnd()), previous);
    switch (Ask(MessageBox{question, kMergeQuestionCaption, MessageIcon::Question, MessageButtons::YesNoCancel,
                           MessageKind::MergeOverlap})) {
        case Answer::Yes: {
            const std::optional<MergeCursor::Placement> placed = cursor_.Forced(offset, source.size);
            if (!placed) return Refuse(k, source, offset);
            return Copy(k, source, *placed, How::Forced);
        }
        case Answer::No: return Append(k, source);
        default:
            return Cancel(k, source,
                          Format("its offset 0x%.8X lies before the end 0x%.8X of row %d, and the question whether to "
                                 "force it there or append it was answered Cancel",
                                 static_cast<uint32_t>(offset), static_cast<uint32_t>(cursor_.PreviousEnd()),
                                 previous));
    }
}

FileOutcome MergeRun::AskSize(int k, const Source& source, int64_t offset) {
    const FileEntry& e = sel_.Entry(k);
    // The first file has no file before it: an append then places it at the
    // start of the image, and the question says so.
    const uint32_t end = static_cast<uint32_t>(cursor_.PreviousEnd());
    const std::string target =
        k > 0 ? Format(Localized("文件%d结束地址0x%.8X"), PreviousFileNo(k), end) : Format(Localized("合并文件起始地址0x%.8X"), end);
    const std::string question = Format(
        Localized("文件%d偏移地址0x%.8X太大导致合并后的文件超过6M.\r\n是否确定继续合并？\r\n"
        "是，将该文件将追加到%s\r\n否，取消合并"),
        e.FileNo, static_cast<uint32_t>(offset), target.c_str());
    const Answer answer = Ask(MessageBox{question, kMergeQuestionCaption, MessageIcon::Question, MessageButtons::YesNo,
                                         MessageKind::MergeOversize});
    if (answer != Answer::Yes)
        return Cancel(k, source,
                      Format("placed at 0x%.8X its %d bytes would end at 0x%.8llX, past the 6 MiB image (0x%.8X), and "
                             "the question whether to append it was answered No",
                             static_cast<uint32_t>(offset), source.size,
                             static_cast<unsigned long long>(static_cast<uint32_t>(offset)) +
                                 static_cast<uint32_t>(source.size),
                             static_cast<uint32_t>(kMergedImageSize)));
    return Append(k, source);
}

FileOutcome MergeRun::Append(int k, const Source& source) {
    const int64_t at = cursor_.PreviousEnd();
    const std::optional<MergeCursor::Placement> placed = cursor_.Appended(source.size);
    if (!placed) return Refuse(k, source, at);
    return Copy(k, source, *placed, How::Appended);
}

FileOutcome MergeRun::Copy(int k, const Source& source, const MergeCursor::Placement& placed, How how) {
    const FileEntry& e = sel_.Entry(k);
    if (image_) {
        std::memcpy(image_->data() + placed.at, source.data(), static_cast<size_t>(source.size));
        if (source.converted && source.converted->gapFill != 0x00)
            for (const ImageRun& gap : source.converted->gaps)
                std::memset(image_->data() + placed.at + gap.from, source.converted->gapFill, gap.size());
        if (placed.fillTo > placed.fillFrom)
            std::memset(image_->data() + placed.fillFrom, FillByte(e.PolishData),
                        static_cast<size_t>(placed.fillTo - placed.fillFrom));
    }
    recorder_.Fill(placed.fillFrom, placed.fillTo, FillByte(e.PolishData));
    lastFill_ = FillByte(e.PolishData);
    recorder_.File(placed.at, source.size, e.FileNo, source.path);
    if (source.converted)
        for (const ImageRun& gap : source.converted->gaps)
            recorder_.Gap(placed.at + gap.from, placed.at + gap.to, e.FileNo, source.path, source.converted->gapFill,
                          placed.at);
    const char* name = source.path.c_str();
    const uint32_t at = static_cast<uint32_t>(placed.at);
    switch (how) {
        case How::AtOffset:
            log_.Addf(Localized("文件%d：#第%d步：文件%s已插入到合并文件0x%.8X处，空白处已填充0x%.2X\r\n"), e.FileNo, Step(k),
                      name, at, placed.shownFill);
            break;
        case How::Forced:
            log_.Addf(Localized("文件%d：#第%d步：文件%s已强制插入到合并文件0x%.8X处\r\n"), e.FileNo, Step(k), name, at);
            break;
        case How::Appended:
            log_.Addf(Localized("文件%d：#第%d步：文件%s已追加到合并文件0x%.8X处\r\n"), e.FileNo, Step(k), name, at);
            break;
    }
    if (source.converted) {
        anyConverted_ = true;
        if (source.converted->lowestAddress < kFlashBase) allAtFlash_ = false;
        if (!start_) start_ = source.converted->start;
    }
    if (source.converted && source.size > 0) {
        // A HEX file's data away from its own place (its BIN offset moved it,
        // or the bytes before its offset were kept as well): say where its
        // lowest address went, so a doubled address cannot pass unseen.
        const uint32_t lowest = source.converted->lowestAddress;
        const uint32_t own = ImageIndexOf(lowest);
        const int64_t landed = placed.at + static_cast<int64_t>(own) - source.converted->from;
        if (landed != static_cast<int64_t>(own)) {
            ++Step(k);
            log_.Addf(Localized("文件%d：#第%d步：注意：HEX文件中地址0x%.8X的数据位于合并文件0x%.8X处，而不是0x%.8X处\r\n"),
                      e.FileNo, Step(k), lowest, static_cast<uint32_t>(landed), own);
        }
    }
    log_.Add("");
    ++Step(k);
    return FileOutcome::Placed;
}

FileOutcome MergeRun::Refuse(int k, const Source& source, int64_t at) {
    // Every copy stays inside the image; a file that cannot be placed ends the
    // merge, so no image is written without it.
    log_.Addf(Localized("文件%d：#第%d步：文件%s放置到0x%.8X处将超出合并文件6M的范围，合并终止\r\n"), sel_.Entry(k).FileNo,
              Step(k), source.path.c_str(), static_cast<uint32_t>(at));
    ExplainFailure(prompts_, sel_.Entry(k).FileNo, source.path,
                   Format("placed at 0x%.8X its %d bytes would end at 0x%.8llX, past the 6 MiB image (0x%.8X)",
                          static_cast<uint32_t>(at), source.size,
                          static_cast<unsigned long long>(static_cast<uint32_t>(at)) +
                              static_cast<uint32_t>(source.size),
                          static_cast<uint32_t>(kMergedImageSize)));
    log_.Add("");
    recorder_.Stop(sel_.Entry(k).FileNo, Format("placing the file at 0x%08X would pass the 6 MiB image",
                                                static_cast<uint32_t>(at)));
    return FileOutcome::Ended;
}

FileOutcome MergeRun::Cancel(int k, const Source& source, const std::string& reason) {
    log_.Add(Localized("#第1步：取消合并\r\n"));
    ExplainFailure(prompts_, sel_.Entry(k).FileNo, source.path, "the merge was cancelled: " + reason);
    recorder_.Stop(sel_.Entry(k).FileNo, "the merge is cancelled here: " + reason);
    return FileOutcome::Ended;
}

bool MergeRun::WriteIncomplete(const std::string& output) {
    // An image without one of its files would pass for the whole one and
    // replace yesterday's good image: written only when the user says so.
    const std::string missing = FileNoList(leftOut_);
    const Answer answer = Ask(MessageBox{Format(Localized(kMergeIncompleteQuestionFormat), missing.c_str()),
                                         kMergeQuestionCaption, MessageIcon::Question, MessageButtons::YesNo,
                                         MessageKind::MergeIncomplete, Answer::No});
    if (answer == Answer::Yes) return true;
    log_.Addf(Localized("***文件合并未完成！缺少%s，合并文件%s未写入！***\r\n"), missing.c_str(), output.c_str());
    log_.Add("");
    ExplainFailure(prompts_, 0, output,
                   "the image lacks the files left out, and the question whether to write it anyway was answered "
                   "No: nothing was written");
    recorder_.Stop(0, "the image would lack the files left out");
    return false;
}

std::optional<std::vector<FieldSpec>> MergeRun::ImageFields(uint32_t origin) {
    // In the map's addresses (or offsets), the words resolved against the
    // image of the files, checked, then taken to image offsets.
    std::string problem;
    const uint64_t filesEnd = static_cast<uint64_t>(origin) + static_cast<uint64_t>(cursor_.ImageLength());
    std::optional<std::vector<FieldSpec>> fields = ResolveFields(ws_.MergeFields, origin, filesEnd, &problem);
    if (fields) {
        if (std::optional<std::string> refused =
                FieldsProblem(*fields, origin, static_cast<uint64_t>(origin) + kMergedImageSize)) {
            problem = *refused;
            fields.reset();
        }
    }
    if (!fields) {
        recorder_.Stop(0, problem);
        if (plan_) return std::nullopt;
        ShowNotice(prompts_, kMergeFieldsRefusedMessage);
        ExplainFailure(prompts_, 0, "", problem);
        log_.Add(Localized("***文件合并失败！校验值字段设置有误，合并文件未写入！***\r\n"));
        log_.Add("");
        return std::nullopt;
    }
    for (FieldSpec& f : *fields) {
        f.at -= origin;
        f.start -= origin;
        f.end -= origin;
    }
    return fields;
}

bool MergeRun::Finish(const std::string& output) {
    // The records' base: the one given, else the flash mapping when every
    // converted file lies there. A BIN has none unless one is given.
    const ImageFormat format = FormatOfName(plan_ ? ws_.OutputFileText : output);
    const bool records = format == ImageFormat::IntelHex || format == ImageFormat::SRecord;
    const uint32_t base = !ws_.MergeBaseText.empty()
                              ? static_cast<uint32_t>(ParseHexField(ws_.MergeBaseText))
                              : (records && anyConverted_ && allAtFlash_ ? kFlashBase : 0);
    base_ = base;
    // The fields' addresses are those the map shows: offsets plus the base.
    const uint32_t origin = ws_.MergeFieldAddresses == FieldAddresses::Map ? base : 0;
    const std::optional<std::vector<FieldSpec>> fields = ImageFields(origin);
    if (!fields) return false;

    // The fields after every file, in their order; one past the image's end
    // extends it with the fill byte of the file placed last.
    uint64_t grown = static_cast<uint64_t>(cursor_.ImageLength());
    std::vector<WrittenField> stamped;
    if (plan_) {
        for (const FieldSpec& f : *fields) grown = std::max<uint64_t>(grown, f.FieldEnd());
    } else {
        stamped = WriteFields(std::span<uint8_t>(image_->data(), static_cast<size_t>(kMergedImageSize)), grown, 0,
                              lastFill_, *fields);
    }
    for (size_t i = 0; i < fields->size(); ++i) {
        const FieldSpec& f = (*fields)[i];
        const std::string value = i < stamped.size() ? stamped[i].valueText : std::string();
        fields_.push_back(MapField{f.at, f.Width(), f.Name(), value, f.start, f.end});
        const int64_t end = static_cast<int64_t>(cursor_.ImageLength());
        if (f.at > end) recorder_.Fill(end, f.at, lastFill_);
        recorder_.Field(f.at, f.Width(), static_cast<int32_t>(i));
        // In the addresses the user gave them.
        if (!plan_)
            log_.Addf(Localized("#写入校验值：%s = %s，写入合并文件0x%.8X处，校验范围0x%.8X-0x%.8X\r\n"), f.Name().c_str(),
                      value.c_str(), f.at + origin, f.start + origin, f.end + origin);
    }
    imageLength_ = static_cast<int64_t>(grown);
    const int32_t length = static_cast<int32_t>(grown);
    if (!leftOut_.empty() && !WriteIncomplete(output)) return false;
    if (plan_) return leftOut_.empty();
    std::string problem;
    if (records) {
        // Where the records put the image: the base is no longer to be guessed.
        log_.Addf(Localized("#输出格式：%s，起始地址0x%.8X\r\n"), FormatName(format), base);
        SparseImage image;
        image.start = start_;
        if (!image.Write(base, std::span<const uint8_t>(image_->data(), static_cast<size_t>(length)))) {
            problem = Format("the image of %d bytes at the base address 0x%08X would pass the end of the 32-bit "
                             "address space",
                             length, base);
        } else {
            // The records go to the file as they are made; the header is the file's name.
            problem = SaveImageFile(format, image, 0, 0, 0, WriteOptions{}, output).value_or(std::string());
        }
    }
    const bool written = records ? problem.empty() : WriteWholeFile(output, image_->data(), static_cast<size_t>(length));
    if (!written) {
        if (problem.empty()) problem = FileProblem(output, FileUse::Write);
        ShowNotice(prompts_, kMergeWriteFailedMessage);
        ExplainFailure(prompts_, 0, output, problem);
        log_.Addf(Localized("***文件合并失败！合并后的文件%s写入失败！***\r\n"), output.c_str());
        log_.Add("");
        return false;
    }
    if (!leftOut_.empty()) {
        // An image without one of its files would pass for the whole one.
        const std::string missing = FileNoList(leftOut_);
        ShowWarning(prompts_, Format(Localized(kMergeIncompleteFormat), missing.c_str()));
        log_.Addf(Localized("***文件合并未完成！合并后的文件存于%s,大小为%d字节，其中缺少%s！***\r\n"), output.c_str(), length,
                  missing.c_str());
        log_.Add("");
        return false;
    }
    ShowNotice(prompts_, kMergeDoneMessage);
    log_.Addf(Localized("***文件合并成功！合并后的文件存于%s,大小为%d字节！***\r\n"), output.c_str(), length);
    log_.Add("");
    return true;
}

// What can be told of the fields before a file is read: the rules between
// them, and all of it where the image's first address is known and no word
// waits for the image.
std::optional<std::string> EarlyFieldsProblem(const Workspace& ws, ImageFormat output) {
    if (std::optional<std::string> problem = FieldsShapeProblem(ws.MergeFields)) return problem;
    const std::optional<uint32_t> origin = KnownFieldOrigin(ws.MergeFieldAddresses, ws.MergeBaseText, output);
    const bool words = std::any_of(ws.MergeFields.begin(), ws.MergeFields.end(),
                                   [](const FieldSpec& f) { return f.Symbolic(); });
    if (!origin || words) return std::nullopt;
    return FieldsProblem(ws.MergeFields, *origin, static_cast<uint64_t>(*origin) + kMergedImageSize);
}

}  // namespace

std::optional<uint32_t> KnownFieldOrigin(FieldAddresses addresses, const std::string& baseText, ImageFormat output) {
    if (addresses == FieldAddresses::ImageOffsets) return 0;
    if (!baseText.empty()) return static_cast<uint32_t>(ParseHexField(baseText));
    if (output != ImageFormat::IntelHex && output != ImageFormat::SRecord) return 0;
    return std::nullopt;
}

bool MergeFieldsArePositions(FieldAddresses addresses, const std::string& baseText, ImageFormat output) {
    return KnownFieldOrigin(addresses, baseText, output) == 0u;
}

std::optional<std::string> MergeFieldsProblem(std::span<const FieldSpec> fields, FieldAddresses addresses,
                                              const std::string& baseText, ImageFormat output) {
    if (std::optional<std::string> problem = FieldsShapeProblem(fields)) return problem;
    std::vector<FieldSpec> numbers;
    for (const FieldSpec& f : fields)
        if (!f.Symbolic()) numbers.push_back(f);
    if (numbers.empty()) return std::nullopt;
    const std::optional<uint32_t> known = KnownFieldOrigin(addresses, baseText, output);
    const auto problemAt = [&](uint32_t origin) {
        return FieldsProblem(numbers, origin, static_cast<uint64_t>(origin) + kMergedImageSize);
    };
    if (known) return problemAt(*known);
    // The files choose the base: 0, or the flash base when all of them lie there.
    const std::optional<std::string> atZero = problemAt(0);
    const std::optional<std::string> atFlash = problemAt(kFlashBase);
    if (!atZero || !atFlash) return std::nullopt;
    return numbers.front().at >= kFlashBase ? atFlash : atZero;
}

std::string FieldAddressRule(FieldAddresses addresses, const std::string& baseText, ImageFormat output) {
    std::string rule;
    const std::optional<uint32_t> origin = KnownFieldOrigin(addresses, baseText, output);
    if (addresses == FieldAddresses::ImageOffsets)
        rule = Localized("此项目由旧版本保存：字段的地址为合并文件内的偏移。");
    else if (!origin)
        rule = Localized("字段的地址为内存分布图中的地址：合并文件内的偏移加上自动选择的起始地址（0x08000000或0）。");
    else if (!baseText.empty())
        rule = Format(Localized("字段的地址为内存分布图中的地址：合并文件内的偏移加上起始地址0x%08X。"), *origin);
    else
        rule = Localized("输出BIN文件且未指定起始地址：字段的地址为合并文件内的偏移。");
    return rule + Localized("\n写入地址填end为映像末尾之后；校验范围填start-end为写入该字段之前的整个映像。");
}

bool MergeBatch(Workspace& ws) {
    const std::string output = ws.OutputFileText;
    if (output.empty()) {
        ShowNotice(ws.prompts(), kChooseOutputMessage);
        ExplainFailure(ws.prompts(), 0, "", "no output file was given");
        return false;
    }
    if (!ws.GatherBatch(2, kSelectTwoFilesMessage, false)) return false;
    // The fields are checked before anything is read or written, as far as
    // they can be without the files; the rest once the files are placed.
    if (const std::optional<std::string> problem = EarlyFieldsProblem(ws, FormatOfName(output))) {
        ShowNotice(ws.prompts(), kMergeFieldsRefusedMessage);
        ExplainFailure(ws.prompts(), 0, "", *problem);
        return false;
    }

    ws.log().Add(Localized("***************合并操作***************\r\n"));
    MergeRun run(ws, nullptr);
    bool done = false;
    int k = 0;
    while (k < ws.selection().Count && run.MergeFile(k) != FileOutcome::Ended) ++k;
    if (k == ws.selection().Count) done = run.Finish(output);
    // What the merge did, as a map: also of a merge that stopped, up to there.
    MergeMap map = run.Map();
    if (k < ws.selection().Count || map.stopped) map.imageSize = 0;
    ws.LastMergeMap = std::move(map);
    return done;
}

MergeMap PlanMerge(const Workspace& ws, const MergeAnswers& answers) {
    // The rows as they stand, on a workspace of its own that shows nothing.
    SilentPrompts silent;
    Workspace scratch(silent);
    for (int row = 0; row < kRowCount; ++row) scratch.rows().Row(row) = ws.rows().Row(row);
    ResetSelection(scratch.selection());
    ResetConverted(scratch.selection());
    GatherSelection(scratch.selection(), scratch.rows());
    scratch.MergeFields = ws.MergeFields;
    scratch.MergeFieldAddresses = ws.MergeFieldAddresses;
    scratch.HexGapFill = ws.HexGapFill;
    scratch.MergeBaseText = ws.MergeBaseText;
    scratch.OutputFileText = ws.OutputFileText;
    MergeRun run(scratch, &answers);
    if (scratch.selection().Count < 2) {
        run.Stop(0, kTooFewFilesReason);
        return run.Map();
    }
    if (const std::optional<std::string> problem = EarlyFieldsProblem(ws, FormatOfName(ws.OutputFileText))) {
        run.Stop(0, *problem);
        return run.Map();
    }
    int k = 0;
    while (k < scratch.selection().Count && run.MergeFile(k) != FileOutcome::Ended) ++k;
    if (k == scratch.selection().Count) run.Finish(std::string());
    MergeMap map = run.Map();
    if (k < scratch.selection().Count || map.stopped) map.imageSize = 0;
    return map;
}

}  // namespace torvane
