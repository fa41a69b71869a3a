#include "core/hex_to_bin.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/align.h"
#include "core/decode_hex.h"
#include "core/workspace.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/prompts.h"

namespace torvane {

std::string BinFileNameFor(const std::string& hexFileName) {
    std::string bytes = ToCodePage(hexFileName);
    if (bytes.size() < 3) return FromCodePage(bytes + "BIN");
    bytes.replace(bytes.size() - 3, 3, "BIN");
    return FromCodePage(bytes);
}

std::optional<std::vector<uint8_t>> ReadRecordedSize(const std::string& path, int32_t size) {
    // No row accepts a file above 2 MiB, and no placement can use more than the
    // merged image, so the buffer never needs to grow past that.
    const size_t count = static_cast<size_t>(std::clamp<int64_t>(size, 0, kSourceReadLimit));
    return ReadFilePrefix(path, count);
}

bool ConvertHexFile(Workspace& ws, int k) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    const FileEntry& e = sel.Entry(k);
    int32_t& step = sel.StepNo[static_cast<size_t>(k)];
    const char* name = e.FileName.c_str();
    step = 1;

    if (!CanOpenRead(e.FileName)) {
        log.Append(log.LineCount(), "文件%d：#第%d步：文件%s读取数据失败\r\n", e.FileNo, step, name);
        return false;
    }
    const std::optional<std::vector<uint8_t>> text = ReadRecordedSize(e.FileName, e.FileSize);
    if (!text) {
        log.Append(log.LineCount(), "文件%d：#第%d步：文件%s读取数据失败\r\n", e.FileNo, step, name);
        return false;
    }
    log.Append(log.LineCount(), "文件%d：#第%d步：文件%s已读取%d字节数据\r\n", e.FileNo, step, name, e.FileSize);
    ++step;

    HexImage image;
    const HexDecodeResult decoded =
        DecodeHex(text->data(), static_cast<uint32_t>(text->size()), image, ws.prompts());
    if (decoded.code == 0) {
        log.Append(log.LineCount(), "文件%d：#第%d步：转换为Bin文件失败！\r\n", e.FileNo, step);
        return false;
    }

    const std::string output = BinFileNameFor(e.FileName);
    const uint32_t offset = static_cast<uint32_t>(e.OffsetAddr);
    const uint32_t end = decoded.ImageEnd;
    uint32_t from = 0;
    const char* successLine;
    if (offset == 0) {
        successLine = "文件%d：#第%d步：转换为Bin文件成功， 生成的Bin文件为：%s  大小：%d字节\r\n";
    } else if (e.IsSaveOffsetData == 1) {
        // The sum is taken with the end index of the image, not its length from
        // the offset, so every file at the flash base fails here.
        if (static_cast<uint64_t>(offset) + end > kHexImageSize) {
            log.Append(log.LineCount(),
                       "文件%d：#第%d步：转换为Bin文件失败， 失败原因：偏移地址太大，不可保留偏移地址前数据！\r\n",
                       e.FileNo, step);
            return false;
        }
        successLine = "文件%d：#第%d步：转换为Bin文件成功，生成的Bin文件为：%s  大小：%d字节\r\n";
    } else {
        from = ImageIndexOf(offset);
        if (from > end) {
            // Only an offset typed or imported by hand can lie past the data.
            log.Append(log.LineCount(),
                       "文件%d：#第%d步：转换为Bin文件失败， 失败原因：偏移地址0x%.8X超出HEX文件的数据范围！\r\n",
                       e.FileNo, step, offset);
            return false;
        }
        successLine = "文件%d：#第%d步：转换为Bin文件成功，生成的Bin文件为：%s  大小：%d字节\r\n";
    }

    const uint32_t length = end - from;
    if (!WriteWholeFile(output, image.data() + from, length)) {
        log.Append(log.LineCount(), "文件%d：#第%d步：转换为Bin文件失败， 失败原因：文件%s写入失败！\r\n", e.FileNo,
                   step, output.c_str());
        return false;
    }
    sel.ConvertedName[static_cast<size_t>(k)] = output;
    sel.ConvertedSize[static_cast<size_t>(k)] = static_cast<int32_t>(length);
    log.Append(log.LineCount(), successLine, e.FileNo, step, output.c_str(), static_cast<int32_t>(length));
    ++step;
    return true;
}

bool HexToBinBatch(Workspace& ws) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    if (!ws.GatherBatch(1, kSelectOneFileMessage)) return false;

    log.Add("***************hex转bin操作***************\r\n");
    int last = -1;
    bool allDone = true;
    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        if (e.FileType == kBinFile) {
            log.Append(log.LineCount(), "文件%d：#第1步：该文件已经是Bin文件\r\n", e.FileNo);
            log.Append(log.LineCount(), "***文件%d：%s转换为Bin文件失败！***\r\n", e.FileNo, e.FileName.c_str());
            log.Add("");
            allDone = false;
            continue;
        }
        if (ConvertHexFile(ws, k)) {
            last = k;
            if (e.PolishType != kAlign1) {
                // The summary stays the success line whatever the padding did.
                const AlignOutcome padded = AlignFileOutcome(ws, sel.ConvertedName[static_cast<size_t>(k)],
                                                             sel.ConvertedSize[static_cast<size_t>(k)], k);
                if (padded == AlignOutcome::Failed) allDone = false;
            }
            log.Append(log.LineCount(), "***文件%d:%s转换为Bin文件成功！***\r\n", e.FileNo, e.FileName.c_str());
        } else {
            log.Append(log.LineCount(), "***文件%d：%s转换为Bin文件失败！***\r\n", e.FileNo, e.FileName.c_str());
            allDone = false;
        }
        log.Add("");
    }
    ws.OutputFileText = last >= 0 ? sel.ConvertedName[static_cast<size_t>(last)] : std::string();
    return allDone;
}

}  // namespace torvane
