#include "core/align.h"

#include "core/hex_to_bin.h"
#include "core/workspace.h"
#include "platform/files.h"
#include "platform/prompts.h"

namespace torvane {

AlignOutcome AlignFileOutcome(Workspace& ws, const std::string& path, int32_t size, int k) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    FileEntry& e = sel.Entry(k);
    int32_t& step = sel.StepNo[static_cast<size_t>(k)];
    const char* name = path.c_str();

    if (e.FileType == kBinFile) step = 1;
    if (e.PolishType == kAlign1) {
        log.Append(log.LineCount(), "文件%d：#第%d步：对齐失败！原因：选择了1字节对齐\r\n", e.FileNo, step);
        return AlignOutcome::Failed;
    }
    if (e.PolishType < 0 || e.PolishType > 3) {
        // A project file without the key leaves no alignment chosen.
        log.Append(log.LineCount(), "文件%d：#第%d步：对齐失败！原因：未选择对齐长度\r\n", e.FileNo, step);
        return AlignOutcome::Failed;
    }

    const uint32_t alignment = 1u << e.PolishType;  // 2, 4 or 8
    const uint32_t remainder = static_cast<uint32_t>(size) % alignment;
    const uint32_t padding = alignment - remainder;
    if (remainder == 0) {
        log.Append(log.LineCount(), "文件%d：#第%d步：文件%s长度%d已经是%d字节的整数倍，无需对齐\r\n", e.FileNo, step,
                   name, size, static_cast<int>(alignment));
        ++step;
        return AlignOutcome::NotNeeded;
    }
    if (!CanOpenReadWrite(path)) {
        log.Append(log.LineCount(), "文件%d：#第%d步：文件读取数据失败\r\n", e.FileNo, step);
        return AlignOutcome::Failed;
    }
    log.Append(log.LineCount(), "文件%d：#第%d步：文件%s已读取%d字节数据\r\n", e.FileNo, step, name, size);
    ++step;

    if (!AppendFill(path, FillByte(e.PolishData), padding)) {
        log.Append(log.LineCount(), "文件%d：#第%d步：文件%s %d字节对齐失败，填充数据写入出错！\r\n", e.FileNo, step,
                   name, static_cast<int>(alignment));
        return AlignOutcome::Failed;
    }
    const int32_t padded = static_cast<int32_t>(static_cast<uint32_t>(size) + padding);
    log.Append(log.LineCount(), "文件%d：#第%d步：文件%s %d字节对齐成功, 对齐后文件的长度由%d变为%d\r\n", e.FileNo,
               step, name, static_cast<int>(alignment), size, padded);

    if (e.FileType == kHexFile) {
        sel.ConvertedSize[static_cast<size_t>(k)] += static_cast<int32_t>(padding);
    } else {
        e.FileSize += static_cast<int32_t>(padding);
        // The row's own entry still holds the old size, so the reload reports it.
        ws.rows().SendCommand(sel.Rows[static_cast<size_t>(k)], static_cast<int>(RowCommand::Reload));
    }
    return AlignOutcome::Padded;
}

bool AlignBatch(Workspace& ws) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    if (!ws.GatherBatch(1, kSelectOneFileMessage)) return false;

    log.Add("***************对齐操作***************\r\n");
    int last = -1;
    bool allDone = true;
    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        AlignOutcome outcome;
        if (e.FileType == kHexFile) {
            if (!ConvertHexFile(ws, k)) {
                log.Append(log.LineCount(), "***文件%d：%s对齐失败！***\r\n", e.FileNo, e.FileName.c_str());
                log.Add("");
                allDone = false;
                continue;
            }
            outcome = AlignFileOutcome(ws, sel.ConvertedName[static_cast<size_t>(k)],
                                       sel.ConvertedSize[static_cast<size_t>(k)], k);
        } else {
            outcome = AlignFileOutcome(ws, e.FileName, e.FileSize, k);
        }
        if (outcome == AlignOutcome::Padded) {
            last = k;
            log.Append(log.LineCount(), "***文件%d：%s对齐成功！***\r\n", e.FileNo, e.FileName.c_str());
        } else {
            // A file that needed no padding also gets the failure summary.
            log.Append(log.LineCount(), "***文件%d：%s对齐失败！***\r\n", e.FileNo, e.FileName.c_str());
        }
        if (outcome == AlignOutcome::Failed) allDone = false;
        log.Add("");
    }

    if (last < 0) {
        ws.OutputFileText.clear();
    } else {
        const FileEntry& e = sel.Entry(last);
        ws.OutputFileText = e.FileType == kHexFile ? BinFileNameFor(e.FileName) : e.FileName;
    }
    return allDone;
}

}  // namespace torvane
