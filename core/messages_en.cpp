// The English of the program's texts, by their Chinese. A format keeps the
// Chinese one's conversions in their order; "\r\n" and other line ends stay
// where they stand.
#include <cstddef>

#include "core/messages.h"

namespace torvane {

extern const CatalogueEntry kEnglishCatalogue[];
extern const size_t kEnglishCatalogueSize;

const CatalogueEntry kEnglishCatalogue[] = {
    {"当前无操作记录！", "The operation log is empty."},

    // The window's texts kept in the core's headers.
    {"转换为C语言数组格式", "Convert to a C array"},
    {"待转换文件：", "Source file:"},
    {"目标文件：", "Target file:"},
    {"使用 stdint.h 的 uint8_t 类型", "Use uint8_t from stdint.h"},
    {"生成文件校验值", "Checksum of a file"},
    {"（同时选择了待校验文件与校验数据时，优先对文件进行校验）",
     "(when both a file and data are given, the file is checked)"},
    {"待校验的文件：", "File to check:"},
    {"校验数据：", "Data to check:"},
    {"校验方式：", "Algorithm:"},
    {"校验值：", "Check value:"},
    {"校验和", "Checksum"},
    {"2字节校验和", "2-byte checksum"},
    {"4字节校验和", "4-byte checksum"},
    {"8字节校验和", "8-byte checksum"},
    {"比较映像文件", "Compare images"},
    {"按地址比较两个映像文件（HEX、S-record、ELF或BIN），列出相同、不同和只在一个文件中的地址范围；"
     "也可校验文件A中的校验值字段。",
     "Compares two image files (HEX, S-record, ELF or BIN) address by address and lists the ranges that are "
     "the same, differ or are in one file only; it can also verify the checksum fields in file A."},
    {"批量生成序列号映像", "Serialize images"},
    {"以一个模板映像为每台设备生成一个映像：写入各自的序列号（和MAC地址），再按顺序写入校验值字段，"
     "并在记录文件（CSV）中为每个映像记一行。",
     "Makes one image per device from a template image: writes its serial number (and MAC address), then the "
     "checksum fields in order, and records one line per image in the record file (CSV)."},
    {"写入校验值", "Write checksum"},
    {"计算映像文件中一段地址范围的校验值，写入指定地址，另存为输出文件（BIN、HEX或S-record格式，由文件名决定）。",
     "Computes the checksum of an address range of an image file, stores it at the given address and saves the "
     "result as the output file (BIN, HEX or S-record, as its name says)."},
    {"生成测试文件", "Make test file"},
    {"1字节", "1 byte"},
    {"2字节", "2 bytes"},
    {"4字节", "4 bytes"},
    {"8字节", "8 bytes"},
    {"偏移地址(0x)", "Offset (0x)"},
    {"对齐长度", "Align to"},
    {"填充数据", "Fill byte"},
    {"补充数据", "Pad byte"},
    {"bin文件(*.bin)|*.bin|所有文件(*.*)|*.*||", "BIN files (*.bin)|*.bin|All files (*.*)|*.*||"},
    {"SVG图片(*.svg)|*.svg||", "SVG images (*.svg)|*.svg||"},
    {"PNG图片(*.png)|*.png||", "PNG images (*.png)|*.png||"},
    {"%s  @0x%08X  范围0x%08X-0x%08X  %s", "%s  @0x%08X  range 0x%08X-0x%08X  %s"},
    {"%s  @%s  范围%s-%s  %s", "%s  @%s  range %s-%s  %s"},
    {"%s = %s，已写入0x%08X处", "%s = %s, stored at 0x%08X"},
    {"大端", "big endian"},
    {"小端", "little endian"},
    {"空白处的填充数据", "The fill byte for blanks"},
    {"文件A的起始地址", "The base address of file A"},
    {"文件B的起始地址", "The base address of file B"},
    {"比较报告.txt", "comparison report.txt"},
    {"校验范围的起始地址", "The start of the range"},
    {"校验范围的结束地址", "The end of the range"},
    {"写入地址", "The address"},
    {"校验值字段%s已填写，但尚未添加到列表中。\r\n 选是，添加该字段并保存设置\r\n 选否，不添加该字段，保存设置\r\n"
     " 选取消，返回继续编辑",
     "The checksum field %s is filled in but not added to the list.\r\n Yes: add the field and save the settings\r\n"
     " No: save the settings without it\r\n Cancel: go back to editing"},
};
const size_t kEnglishCatalogueSize = sizeof(kEnglishCatalogue) / sizeof(kEnglishCatalogue[0]);

}  // namespace torvane
