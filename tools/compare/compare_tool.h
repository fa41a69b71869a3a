#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/field_verify.h"
#include "core/image_compare.h"
#include "core/integrity_fields.h"
#include "formats/image_formats.h"

namespace torvane {

// "比较映像文件": two image files compared by address, and the integrity
// fields of one checked. The window's tool and torvane-cli's diff and
// verify run these.

// The largest file read whole: a HEX text of a 64 MiB image and more.
inline constexpr uint64_t kCompareReadLimit = 256u << 20;

// One file read into an image.
struct LoadedImage {
    bool ok = false;
    std::string path;  // absolute
    ImageFormat format = ImageFormat::Binary;
    uint32_t base = 0;  // a BIN file's first address
    SparseImage image;
    std::string reason;                 // English, when !ok
    std::vector<std::string> warnings;  // what the reader noted but read past
};

// Reads a file of any format (by its name); a BIN file's first byte lies at `base`.
LoadedImage LoadImageFile(const std::string& path, uint32_t base);

// One side of a comparison as the report names it.
struct CompareSide {
    std::string path;
    ImageFormat format = ImageFormat::Binary;
    uint32_t base = 0;
    uint64_t segments = 0;
    uint64_t bytes = 0;  // data held
    uint32_t lowest = 0;
    uint64_t end = 0;    // one past the highest address held
};
CompareSide SideOf(const LoadedImage& loaded);

// Compares two BIN files without holding either: both are read in pieces,
// each at its base. The problem, naming the file, when one cannot be read
// whole or would pass the end of the 32-bit space; the sides are described
// in `a` and `b` when it gives none.
std::optional<std::string> CompareBinFiles(const std::string& pathA, uint32_t baseA, const std::string& pathB,
                                           uint32_t baseB, uint32_t from, uint64_t to, ComparisonBuilder& builder,
                                           CompareSide& a, CompareSide& b);

// The report of a comparison, as the window exports it: the two files, every
// range that is not the same with the first bytes that differ, the totals.
std::string CompareReportText(const CompareSide& a, const CompareSide& b, const CompareOptions& options,
                              const ImageComparison& comparison);

// The fields of a verification: checked against each other before any byte
// is read. The reason when they cannot be a sequence the stamp would write.
std::optional<std::string> VerifyFieldsProblem(std::span<const FieldSpec> fields);

// The report of the fields' check, appended to a comparison's or alone.
std::string VerifyReportText(const std::string& path, const std::vector<FieldCheck>& checks);

// Where each range of a comparison goes on a band `width` units wide; a
// break of `breakWidth` stands between two ranges that do not touch. As the
// memory map's band: to scale while the ranges are alike, else each weighed
// by the square root of its size, and none narrower than `minWidth`. Costs
// n log n in the ranges, so thousands of them lay out at once.
struct CompareBandLayout {
    std::vector<double> x;       // per range: its left edge
    std::vector<double> width;   // and its width
    std::vector<double> breaks;  // the left edge of each break
    bool broken = false;         // not to scale
};
CompareBandLayout LayoutCompareBand(const std::vector<CompareRange>& ranges, double width, double minWidth,
                                    double breakWidth);

// The window's words.
inline constexpr const char* kCompareCaption = "比较映像文件";
inline constexpr const char* kCompareHint =
    "按地址比较两个映像文件（HEX、S-record、ELF或BIN），列出相同、不同和只在一个文件中的地址范围；"
    "也可校验文件A中的校验值字段。";
inline constexpr const char* kCompareFileFilter =
    "映像文件(*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx;*.elf;*.axf;*.out)|"
    "*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx;*.elf;*.axf;*.out|"
    "HEX文件(*.HEX;*.IHX)|*.hex;*.ihx|S-record文件(*.SREC;*.S19;*.S28;*.S37;*.MOT)|*.srec;*.s19;*.s28;*.s37;*.mot|"
    "ELF文件(*.ELF;*.AXF)|*.elf;*.axf|BIN文件(*.BIN)|*.bin|所有文件 (*.*)|*.*||";
inline constexpr const char* kCompareReportFilter = "文本文件(*.txt)|*.txt|所有文件 (*.*)|*.*||";
inline constexpr const char* kCompareNoFileMessage = "请选择要比较的两个文件！";
inline constexpr const char* kCompareNoImageMessage = "请选择文件A！";
inline constexpr const char* kCompareReadFailedFormat = "文件%s读取失败！";
inline constexpr const char* kCompareBadNumberFormat = "%s应为1到%d位十六进制数！";
inline constexpr const char* kCompareBadRangeMessage = "比较范围应为“起始-结束”，均为1到8位十六进制数，结束不小于起始！";
inline constexpr const char* kCompareNoFieldMessage = "没有要校验的字段：请在合并设置中添加，或在下方输入字段。";
inline constexpr const char* kCompareBadFieldsMessage = "校验值字段设置有误！";
inline constexpr const char* kCompareNothingToExportMessage = "请先比较文件或校验字段，再导出报告。";
inline constexpr const char* kCompareExportedFormat = "已将比较报告保存到%s。";
inline constexpr const char* kCompareExportFailedFormat = "比较报告保存失败：%s";

// The Chinese word of a kind in the table: "相同", "不同", "仅A有", "仅B有".
const char* CompareKindCaption(CompareKind kind);

}  // namespace torvane
