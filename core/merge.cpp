#include "core/merge.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/decode_hex.h"
#include "core/hex_to_bin.h"
#include "core/workspace.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "platform/sized_files.h"

namespace torvane {
namespace {

enum class Placement { Placed, Cancelled, OutOfRange };

// Positions are signed 32-bit values; sums are taken in 64 bits so that a
// position near the top of the range cannot wrap into the image.
struct MergeState {
    ZeroBuffer image{kMergedImageSize};
    int64_t P = 0;  // one past the last byte of the file placed last
    int64_t L = 0;  // the highest end reached: the output length
};

bool Fits(int64_t at, int64_t size) { return at >= 0 && at + size <= kMergedImageSize; }

}  // namespace

bool MergeBatch(Workspace& ws) {
    BatchSelection& sel = ws.selection();
    OperationLog& log = ws.log();
    Prompts& prompts = ws.prompts();

    const std::string output = ws.OutputFileText;
    if (output.empty()) {
        ShowNotice(prompts, kChooseOutputMessage);
        return false;
    }
    if (!ws.GatherBatch(2, kSelectTwoFilesMessage)) return false;

    log.Add("***************合并操作***************\r\n");
    MergeState m;
    std::vector<int32_t> leftOut;  // FileNo of each selected file the image lacks
    auto cancel = [&] {
        log.Add("#第1步：取消合并\r\n");
        return false;
    };

    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        int32_t& step = sel.StepNo[static_cast<size_t>(k)];
        step = 1;

        std::string source = e.FileName;
        int32_t size = e.FileSize;
        if (e.FileType == kHexFile) {
            if (!ConvertHexFile(ws, k)) {
                log.Add("");
                leftOut.push_back(e.FileNo);
                continue;
            }
            source = sel.ConvertedName[static_cast<size_t>(k)];
            size = sel.ConvertedSize[static_cast<size_t>(k)];
        }
        const char* name = source.c_str();

        // A recorded size that no row could have produced counts as unreadable.
        SizedRead read;
        if (size >= 0 && CanOpenReadWrite(source)) read = ReadRecordedFile(source, size, kMergedImageSize);
        if (read.status == SizedReadStatus::Unreadable) {
            log.Addf("文件%d：#第%d步：文件%s读取数据失败\r\n", e.FileNo, step, name);
            log.Add("");
            return false;
        }
        if (read.status == SizedReadStatus::SizeChanged) {
            // Placed at its recorded size it would match neither version of the
            // file: it is left out, and the end of the merge says so.
            LogChangedFile(log, e.FileNo, step, source, size, read.actualLength);
            log.Add("");
            leftOut.push_back(e.FileNo);
            continue;
        }
        const std::vector<uint8_t>* bytes = &read.bytes;
        log.Addf("文件%d：#第%d步：文件%s已读取%d数据\r\n", e.FileNo, step, name, size);
        ++step;

        const int64_t S = size;
        const int64_t O = e.BINOffset;
        const uint8_t F = FillByte(e.PolishData);
        const int32_t prevNo = k > 0 ? sel.Entry(k - 1).FileNo : 0;

        // Every copy stays inside the image; a file that cannot be placed ends
        // the merge, so no image is written without it.
        auto refuse = [&](int64_t at) {
            log.Addf("文件%d：#第%d步：文件%s放置到0x%.8X处将超出合并文件6M的范围，合并终止\r\n", e.FileNo, step, name,
                     static_cast<uint32_t>(at));
            log.Add("");
            return false;
        };
        auto append = [&]() -> bool {
            if (!Fits(m.P, S)) return false;
            std::memcpy(m.image.data() + m.P, bytes->data(), static_cast<size_t>(S));
            log.Addf("文件%d：#第%d步：文件%s已追加到合并文件0x%.8X处\r\n", e.FileNo, step, name,
                     static_cast<uint32_t>(m.P));
            log.Add("");
            ++step;
            m.P += S;
            m.L = std::max(m.L, m.P);
            return true;
        };

        if (O < 0 || S > kMergedImageSize) return refuse(O);

        if (O < m.P) {
            const std::string question = Format(
                "文件%d当前偏移地址0x%.8X小于文件%d在FLASH存储空间的结束地址0x%.8X，是否强制插入？\r\n"
                " 选是，该文件将强制插入到偏移地址处\r\n 选否，则该文件将追加到文件%d结束地址处\r\n"
                " 选取消，则取消合并操作\r\n",
                e.FileNo, static_cast<uint32_t>(O), prevNo, static_cast<uint32_t>(m.P), prevNo);
            const Answer a = prompts.Show(
                MessageBox{question, kMergeQuestionCaption, MessageIcon::Question, MessageButtons::YesNoCancel});
            if (a == Answer::Yes) {
                if (!Fits(O, S)) return refuse(O);
                std::memcpy(m.image.data() + O, bytes->data(), static_cast<size_t>(S));
                m.P = O + S;
                m.L = std::max(m.L, m.P);
                log.Addf("文件%d：#第%d步：文件%s已强制插入到合并文件0x%.8X处\r\n", e.FileNo, step, name,
                         static_cast<uint32_t>(O));
                log.Add("");
                ++step;
            } else if (a == Answer::No) {
                if (!append()) return refuse(m.P);
            } else {
                return cancel();
            }
            continue;
        }

        if (O + S > kMergedImageSize) {
            // The first file has no file before it: an append then places it at
            // the start of the image, and the question says so.
            const std::string target = k > 0 ? Format("文件%d结束地址0x%.8X", prevNo, static_cast<uint32_t>(m.P))
                                             : Format("合并文件起始地址0x%.8X", static_cast<uint32_t>(m.P));
            const std::string question = Format(
                "文件%d偏移地址0x%.8X太大导致合并后的文件超过6M.\r\n是否确定继续合并？\r\n是，将该文件将追加到%"
                "s\r\n否，"
                "取消合并",
                e.FileNo, static_cast<uint32_t>(O), target.c_str());
            const Answer a =
                prompts.Show(MessageBox{question, kMergeQuestionCaption, MessageIcon::Question, MessageButtons::YesNo});
            if (a != Answer::Yes) return cancel();
            if (!append()) return refuse(m.P);
            continue;
        }

        std::memcpy(m.image.data() + O, bytes->data(), static_cast<size_t>(S));
        uint8_t shownFill = 0x00;
        if (O + S >= m.L) {
            if (O > m.L) {
                std::memset(m.image.data() + m.L, F, static_cast<size_t>(O - m.L));
                shownFill = F;
            }
            m.L = O + S;
        }
        log.Addf("文件%d：#第%d步：文件%s已插入到合并文件0x%.8X处，空白处已填充0x%.2X\r\n", e.FileNo, step, name,
                 static_cast<uint32_t>(O), shownFill);
        log.Add("");
        ++step;
        m.P = O + S;
    }

    if (!WriteWholeFile(output, m.image.data(), static_cast<size_t>(m.L))) {
        ShowNotice(prompts, kMergeWriteFailedMessage);
        log.Addf("***文件合并失败！合并后的文件%s写入失败！***\r\n", output.c_str());
        log.Add("");
        return false;
    }
    if (!leftOut.empty()) {
        // An image without one of its files would pass for the whole one.
        const std::string missing = FileNoList(leftOut);
        ShowWarning(prompts, Format(kMergeIncompleteFormat, missing.c_str()));
        log.Addf("***文件合并未完成！合并后的文件存于%s,大小为%d字节，其中缺少%s！***\r\n", output.c_str(),
                 static_cast<int32_t>(m.L), missing.c_str());
        log.Add("");
        return false;
    }
    ShowNotice(prompts, kMergeDoneMessage);
    log.Addf("***文件合并成功！合并后的文件存于%s,大小为%d字节！***\r\n", output.c_str(), static_cast<int32_t>(m.L));
    log.Add("");
    return true;
}

}  // namespace torvane
