#include "core/align.h"

#include "core/messages.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/hex_to_bin.h"
#include "core/workspace.h"
#include "core/decode_hex.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "platform/sized_files.h"

namespace torvane {

AlignOutcome AlignFileOutcome(Workspace& ws, const std::string& path, int k) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    FileEntry& e = sel.Entry(k);
    int32_t& step = sel.StepNo[static_cast<size_t>(k)];
    const char* name = path.c_str();

    if (e.FileType == kBinFile) step = 1;
    if (e.PolishType == kAlign1) {
        log.Addf(Localized("文件%d：#第%d步：对齐失败！原因：选择了1字节对齐\r\n"), e.FileNo, step);
        ExplainFailure(ws.prompts(), e.FileNo, path, "the alignment is 1 byte, which pads nothing");
        return AlignOutcome::Failed;
    }
    if (e.PolishType < 0 || e.PolishType > 3) {
        // A project file without the key leaves no alignment chosen.
        log.Addf(Localized("文件%d：#第%d步：对齐失败！原因：未选择对齐长度\r\n"), e.FileNo, step);
        ExplainFailure(ws.prompts(), e.FileNo, path,
                       Format("no alignment is chosen: PolishType is %d, not 0 to 3", e.PolishType));
        return AlignOutcome::Failed;
    }

    // The padding comes from the length of the file as it is now, measured and
    // padded under a lock: a length recorded earlier may be stale (a reload that
    // refused the file keeps the old one), and a second program padding the same
    // file must not pad it twice.
    const int alignment = 1 << e.PolishType;  // 2, 4 or 8
    const PadResult pad = PadFileEnd(path, static_cast<uint32_t>(alignment), FillByte(e.PolishData));
    const std::string problem = pad.status == PadStatus::OpenFailed || pad.status == PadStatus::WriteFailed
                                    ? FileProblem(path, FileUse::ReadWrite)
                                    : std::string();
    const int32_t before = static_cast<int32_t>(pad.oldLength);
    const int32_t after = static_cast<int32_t>(pad.newLength);
    switch (pad.status) {
        case PadStatus::OpenFailed:
            // The padding opens the file to read and to write: a file that
            // can be read failed at the writing, and the line says so.
            if (CanOpenRead(path)) log.Addf(Localized("文件%d：#第%d步：文件%s无法写入，对齐失败！\r\n"), e.FileNo, step, name);
            else log.Addf(Localized("文件%d：#第%d步：文件读取数据失败\r\n"), e.FileNo, step);
            LogStepReason(log, e.FileNo, step, problem);
            ExplainFailure(ws.prompts(), e.FileNo, path, problem);
            return AlignOutcome::Failed;
        case PadStatus::NotNeeded:
            log.Addf(Localized("文件%d：#第%d步：文件%s长度%d已经是%d字节的整数倍，无需对齐\r\n"), e.FileNo, step, name, before,
                     alignment);
            ++step;
            return AlignOutcome::NotNeeded;
        case PadStatus::WriteFailed:
        case PadStatus::Padded: break;
    }
    // Nothing is read: the line reports the length found.
    log.Addf(Localized("文件%d：#第%d步：文件%s已读取%d字节数据\r\n"), e.FileNo, step, name, before);
    ++step;
    if (pad.status == PadStatus::WriteFailed) {
        log.Addf(Localized("文件%d：#第%d步：文件%s %d字节对齐失败，填充数据写入出错！\r\n"), e.FileNo, step, name, alignment);
        LogStepReason(log, e.FileNo, step, problem);
        ExplainFailure(ws.prompts(), e.FileNo, path, problem);
        return AlignOutcome::Failed;
    }
    log.Addf(Localized("文件%d：#第%d步：文件%s %d字节对齐成功, 对齐后文件的长度由%d变为%d\r\n"), e.FileNo, step, name, alignment,
             before, after);

    if (e.FileType == kHexFile) {
        sel.ConvertedSize[static_cast<size_t>(k)] = after;
    } else {
        // The padding made the new length, so the row's own entry takes it
        // before the reload: the reload then reports only a change that the
        // padding did not make (the file had another length when it was
        // padded), never the padding itself as "the file changed".
        const int row = sel.Rows[static_cast<size_t>(k)];
        FileEntry& own = ws.rows().Entry(row);
        if (own.FileSize == before) own.FileSize = after;
        e.FileSize = after;
        ws.rows().ReloadEntry(row);
    }
    return AlignOutcome::Padded;
}

namespace {

// A BIN row's file may be padded unless it reads as HEX text and the user,
// asked, does not take it as BIN.
bool MayPadAsBin(Workspace& ws, int k) {
    const BatchSelection& sel = ws.selection();
    if (ws.rows().Row(sel.Rows[static_cast<size_t>(k)]).hexTextAsBin) return true;
    const FileEntry& e = sel.Entry(k);
    const std::optional<uint64_t> length = FileLength(e.FileName);
    if (!length) return true;  // the padding itself reports a file it cannot open
    const std::optional<std::vector<uint8_t>> head =
        ReadFilePrefix(e.FileName, static_cast<size_t>(std::min<uint64_t>(*length, kHexLineProbe)));
    if (!head || !StartsWithHexRecord(*head)) return true;
    return ws.prompts().Show(HexTextAsBinQuestion(e, Localized("对齐"))) == Answer::Yes;
}

}  // namespace

bool AlignBatch(Workspace& ws) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    if (!ws.GatherBatch(1, kSelectOneFileMessage)) return false;

    log.Add(Localized("***************对齐操作***************\r\n"));
    int last = -1;
    std::vector<int32_t> failed;
    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        AlignOutcome outcome;
        if (e.FileType == kHexFile) {
            if (!ConvertHexFile(ws, k)) {
                log.Addf(Localized("***文件%d：%s对齐失败！***\r\n"), e.FileNo, e.FileName.c_str());
                log.Add("");
                failed.push_back(e.FileNo);
                continue;
            }
            outcome = AlignFileOutcome(ws, sel.ConvertedName[static_cast<size_t>(k)], k);
        } else if (!MayPadAsBin(ws, k)) {
            log.Addf(Localized("文件%d：#第1步：文件%s的内容是HEX格式的文本，未作为BIN文件对齐\r\n"), e.FileNo,
                     e.FileName.c_str());
            ExplainFailure(ws.prompts(), e.FileNo, e.FileName, kHexTextAsBinReason);
            log.Addf(Localized("***文件%d：%s对齐失败！***\r\n"), e.FileNo, e.FileName.c_str());
            log.Add("");
            failed.push_back(e.FileNo);
            continue;
        } else {
            outcome = AlignFileOutcome(ws, e.FileName, k);
        }
        if (outcome == AlignOutcome::Padded) {
            last = k;
            log.Addf(Localized("***文件%d：%s对齐成功！***\r\n"), e.FileNo, e.FileName.c_str());
        } else {
            // A file that needed no padding also gets the failure summary, but
            // it is not named as failed at the end: nothing was left undone.
            log.Addf(Localized("***文件%d：%s对齐失败！***\r\n"), e.FileNo, e.FileName.c_str());
        }
        if (outcome == AlignOutcome::Failed) failed.push_back(e.FileNo);
        log.Add("");
    }

    if (last < 0) {
        ws.OutputFileText.clear();
    } else {
        const FileEntry& e = sel.Entry(last);
        ws.OutputFileText = e.FileType == kHexFile ? BinFileNameFor(e.FileName) : e.FileName;
    }
    return ws.ReportFailedFiles(failed);
}

}  // namespace torvane
