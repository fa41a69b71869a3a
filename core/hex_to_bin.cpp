#include "core/hex_to_bin.h"

#include "core/messages.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/align.h"
#include "core/chinese_reasons.h"
#include "core/decode_hex.h"
#include "core/workspace.h"
#include "formats/image_formats.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"

namespace torvane {

std::string BinFileNameFor(const std::string& hexFileName) {
    // Made from the path's own bytes: "hex" and "BIN" are ASCII, so the name is
    // the same in every code page, and two inputs never share one output.
    std::string name = hexFileName;
    // An S-record or ELF file's ending, of two to four characters, gives way
    // to ".BIN" whole (app.srec becomes app.BIN).
    const ImageFormat format = FormatOfName(name);
    if (format == ImageFormat::SRecord || format == ImageFormat::Elf) return name.substr(0, name.rfind('.')) + ".BIN";
    if (name.size() < 3) return name + "BIN";
    name.replace(name.size() - 3, 3, "BIN");
    return name;
}

SizedRead ReadRecordedFile(const std::string& path, int32_t size, uint64_t limit) {
    SizedRead read;
    if (size < 0 || static_cast<uint64_t>(size) > limit) {
        // No row records such a size for a file it could load: whatever is on
        // disk now is not what was chosen.
        const std::optional<uint64_t> length = FileLength(path);
        if (!length) return read;
        read.status = SizedReadStatus::SizeChanged;
        read.actualLength = *length;
        return read;
    }
    return ReadExpectedSize(path, static_cast<uint64_t>(size));
}

void LogStepReason(OperationLog& log, int32_t fileNo, int32_t step, const std::string& english) {
    log.Addf(kStepReasonFormat, fileNo, step, ShownReason(english).c_str());
}

void ReportChangedFile(OperationLog& log, Prompts& prompts, int32_t fileNo, int32_t step, const std::string& path,
                       int32_t recorded, uint64_t actual) {
    log.Addf(kFileChangedFormat, fileNo, step, path.c_str(), recorded, static_cast<unsigned long long>(actual));
    ExplainFailure(prompts, fileNo, path,
                   Format("the file changed since it was chosen: %d bytes were recorded, it now has %llu", recorded,
                          static_cast<unsigned long long>(actual)));
}

bool ConvertHexFile(Workspace& ws, int k, ConvertMode mode, ConvertedImage* converted) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    const FileEntry& e = sel.Entry(k);
    int32_t& step = sel.StepNo[static_cast<size_t>(k)];
    const char* name = e.FileName.c_str();
    step = 1;

    // The file is read at the size recorded when it was chosen; a file
    // replaced since then is refused rather than converted in part. A file the
    // row's scan decoded and that is still as it was is not decoded again.
    const bool readable = CanOpenRead(e.FileName);
    const std::shared_ptr<const HexScan> scan =
        readable ? CurrentScan(ws.rows().Row(sel.Rows[static_cast<size_t>(k)]), e.FileName) : nullptr;
    const bool scanned = scan && e.FileSize >= 0 && scan->stamp.size == static_cast<uint64_t>(e.FileSize);
    SizedRead text;
    if (scanned) text.status = SizedReadStatus::Ok;
    else if (readable) text = ReadRecordedFile(e.FileName, e.FileSize, kHexTextSizeLimit);
    if (text.status == SizedReadStatus::Unreadable) {
        const std::string problem = FileProblem(e.FileName, FileUse::Read);
        log.Addf(Localized("文件%d：#第%d步：文件%s读取数据失败\r\n"), e.FileNo, step, name);
        ExplainFailure(ws.prompts(), e.FileNo, e.FileName, problem);
        return false;
    }
    if (text.status == SizedReadStatus::SizeChanged) {
        ReportChangedFile(log, ws.prompts(), e.FileNo, step, e.FileName, e.FileSize, text.actualLength);
        return false;
    }
    log.Addf(Localized("文件%d：#第%d步：文件%s已读取%d字节数据\r\n"), e.FileNo, step, name, e.FileSize);
    ++step;

    std::shared_ptr<const HexImage> decodedImage = scanned ? scan->image : nullptr;
    HexDecodeResult decoded;
    if (scanned) {
        decoded = scan->decoded;
    } else {
        auto fresh = std::make_shared<HexImage>();
        decoded = DecodeRowFile(e.FileName, text.bytes, *fresh);
        decodedImage = std::move(fresh);
    }
    const HexImage& image = *decodedImage;
    // What the file holds that was read all the same: one log line each.
    for (const std::string& warning : decoded.warnings) {
        log.Addf(Localized("文件%d：#第%d步：注意：%s\r\n"), e.FileNo, step, ShownReason(warning).c_str());
        ws.prompts().Warn(FailureReason{e.FileNo, e.FileName, warning});
    }
    if (IsDamagedRecord(decoded.fault)) ShowNotice(ws.prompts(), RowFileText(kBadHexFileMessage, e.FileName));
    if (decoded.code == 0) {
        // One reason for the checksum box and the log line alike.
        log.Addf(Localized("文件%d：#第%d步：转换为Bin文件失败！\r\n"), e.FileNo, step);
        ExplainFailure(ws.prompts(), e.FileNo, e.FileName, HexFaultReason(decoded));
        return false;
    }

    const std::string output = BinFileNameFor(e.FileName);
    const uint32_t offset = static_cast<uint32_t>(e.OffsetAddr);
    const uint32_t end = decoded.ImageEnd;
    uint32_t from = 0;
    const char* successLine;
    if (offset == 0) {
        // The three success lines differ by one space: this one, at offset 0,
        // has a blank after the full-width comma; the program has always
        // written them so, and logs are compared by people and by scripts.
        successLine = Localized("文件%d：#第%d步：转换为Bin文件成功， 生成的Bin文件为：%s  大小：%d字节\r\n");
    } else if (e.IsSaveOffsetData == 1) {
        // The BIN holds the image from index 0 to the end of the data, which
        // the decoder keeps inside the image: it always fits, also for a file
        // at the flash base (its index, not its address, is what counts).
        successLine = Localized("文件%d：#第%d步：转换为Bin文件成功，生成的Bin文件为：%s  大小：%d字节\r\n");
    } else {
        from = ImageIndexOf(offset);
        if (from > end) {
            // Only an offset typed or imported by hand can lie past the data.
            log.Addf(Localized("文件%d：#第%d步：转换为Bin文件失败， 失败原因：偏移地址0x%.8X超出HEX文件的数据范围！\r\n"),
                     e.FileNo, step, offset);
            ExplainFailure(ws.prompts(), e.FileNo, e.FileName,
                           Format("the offset 0x%.8X (image index 0x%X) lies past the end of the file's data at "
                                  "image index 0x%X",
                                  offset, from, end));
            return false;
        }
        successLine = Localized("文件%d：#第%d步：转换为Bin文件成功，生成的Bin文件为：%s  大小：%d字节\r\n");
    }

    const uint32_t length = end - from;
    // The file's own gaps between its records, as offsets into the bytes
    // converted, and what fills them.
    std::vector<ImageRun> gaps = GapsBetweenRuns(decoded.dataRuns, from, end);
    const uint8_t gapFill = ws.HexGapFill == GapFill::RowFill ? FillByte(e.PolishData) : uint8_t{0x00};
    uint32_t gapBytes = 0;
    for (ImageRun& gap : gaps) {
        gapBytes += gap.size();
        gap.from -= from;
        gap.to -= from;
    }
    // Said only where there are gaps: the log of a file without any stays as it was.
    const auto logGaps = [&] {
        if (gaps.empty()) return;
        log.Addf(kHexGapsFormat, e.FileNo, step, static_cast<int>(gaps.size()), gapBytes, gapFill);
        ++step;
    };
    if (mode == ConvertMode::InMemory) {
        if (converted)
            *converted = ConvertedImage{decodedImage, from, length, decoded.LowestAddress, decoded.start, gaps, gapFill};
        sel.ConvertedName[static_cast<size_t>(k)].clear();
        sel.ConvertedSize[static_cast<size_t>(k)] = static_cast<int32_t>(length);
        log.Addf(Localized("文件%d：#第%d步：已转换为Bin数据（不生成Bin文件），大小：%d字节\r\n"), e.FileNo, step,
                 static_cast<int32_t>(length));
        ++step;
        logGaps();
        return true;
    }
    // The image holds 0x00 in the gaps; another fill goes into a copy.
    std::vector<uint8_t> filled;
    const uint8_t* bytes = image.data() + from;
    if (gapFill != 0x00 && !gaps.empty()) {
        filled.assign(bytes, bytes + length);
        for (const ImageRun& gap : gaps) std::fill(filled.begin() + gap.from, filled.begin() + gap.to, gapFill);
        bytes = filled.data();
    }
    if (!WriteWholeFile(output, bytes, length)) {
        const std::string problem = FileProblem(output, FileUse::Write);
        log.Addf(Localized("文件%d：#第%d步：转换为Bin文件失败， 失败原因：文件%s写入失败！\r\n"), e.FileNo, step, output.c_str());
        LogStepReason(log, e.FileNo, step, problem);
        ExplainFailure(ws.prompts(), e.FileNo, output, problem);
        return false;
    }
    sel.ConvertedName[static_cast<size_t>(k)] = output;
    sel.ConvertedSize[static_cast<size_t>(k)] = static_cast<int32_t>(length);
    log.Addf(successLine, e.FileNo, step, output.c_str(), static_cast<int32_t>(length));
    ++step;
    logGaps();
    return true;
}

MessageBox HexTextAsBinQuestion(const FileEntry& e, const char* work) {
    return MessageBox{Format(Localized(kHexTextAsBinFormat), e.FileNo, e.FileName.c_str(), work, work), kHexTextAsBinCaption,
                      MessageIcon::Question, MessageButtons::YesNo, MessageKind::HexTextAsBin};
}

bool HexToBinBatch(Workspace& ws) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    if (!ws.GatherBatch(1, kSelectOneFileMessage)) return false;

    log.Add(Localized("***************hex转bin操作***************\r\n"));
    int last = -1;
    std::vector<int32_t> failed;
    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        if (e.FileType == kBinFile) {
            log.Addf(Localized("文件%d：#第1步：该文件已经是Bin文件\r\n"), e.FileNo);
            ExplainFailure(ws.prompts(), e.FileNo, e.FileName,
                           "the file is a BIN file already (only a name ending in \"hex\" is converted)");
            log.Addf(Localized("***文件%d：%s转换为Bin文件失败！***\r\n"), e.FileNo, e.FileName.c_str());
            log.Add("");
            failed.push_back(e.FileNo);
            continue;
        }
        if (ConvertHexFile(ws, k)) {
            last = k;
            if (e.PolishType != kAlign1) {
                // The summary stays the success line whatever the padding did;
                // a padding that failed is still named at the end.
                const AlignOutcome padded = AlignFileOutcome(ws, sel.ConvertedName[static_cast<size_t>(k)], k);
                if (padded == AlignOutcome::Failed) failed.push_back(e.FileNo);
            }
            log.Addf(Localized("***文件%d:%s转换为Bin文件成功！***\r\n"), e.FileNo, e.FileName.c_str());
        } else {
            log.Addf(Localized("***文件%d：%s转换为Bin文件失败！***\r\n"), e.FileNo, e.FileName.c_str());
            failed.push_back(e.FileNo);
        }
        log.Add("");
    }
    ws.OutputFileText = last >= 0 ? sel.ConvertedName[static_cast<size_t>(last)] : std::string();
    return ws.ReportFailedFiles(failed);
}

}  // namespace torvane
