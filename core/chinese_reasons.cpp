#include "core/chinese_reasons.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "core/messages.h"
#include "platform/format.h"

namespace torvane {
namespace {

// English reasons and their Chinese. "{}" in an English text stands for any
// text, which the Chinese takes as {1}, {2} ... in the order they stand in the
// English; each is translated in turn, so numbers and names pass unchanged
// and a reason inside a reason is translated too. The system's own texts
// (strerror) are here as the C library writes them.
struct Translation {
    const char* english;
    const char* chinese;
};

constexpr std::array kTranslations = {
    // The HEX decoder.
    Translation{"the file holds no record", "文件中没有记录"},
    Translation{"line {}: no record starts at byte {} (a record begins its line with ':')",
                "第{1}行：第{2}字节处不是记录的开头（记录须在行首以“:”开始）"},
    Translation{"line {}: the record is cut off by the end of the file", "第{1}行：记录被文件末尾截断"},
    Translation{"line {}: the record holds a character that is not a hex digit", "第{1}行：记录中有非十六进制字符"},
    Translation{"line {}: the record's checksum does not match", "第{1}行：记录的校验和不符"},
    Translation{"line {}: an extended address record must hold two bytes", "第{1}行：扩展地址记录须为两个字节"},
    Translation{"line {}: the data at 0x{} lies outside the 2 MiB image (addresses 0x00000000-0x001FFFFF and "
                "0x08000000-0x081FFFFF)",
                "第{1}行：地址0x{2}处的数据在2 MiB映像之外（地址0x00000000-0x001FFFFF与0x08000000-0x081FFFFF）"},
    Translation{"line {}: unknown record type", "第{1}行：未知的记录类型"},
    Translation{"line {}: the file ends without an end-of-file record", "第{1}行：文件结束时没有文件结束记录"},
    Translation{"line {}: an end-of-file record holds no data (its byte count must be 00)",
                "第{1}行：文件结束记录中不能有数据（其字节数须为00）"},
    Translation{"line {}: a start address record must hold four bytes", "第{1}行：起始地址记录须为四个字节"},
    Translation{"line {}: the address field of an address or start record must be 0000",
                "第{1}行：扩展地址记录和起始地址记录的地址字段须为0000"},
    Translation{"line {}: a record follows the end-of-file record, and records after it are not read",
                "第{1}行：文件结束记录之后还有记录（文件结束记录之后的记录不会被读取）"},
    Translation{"line {}: the record gives an address a second, other value", "第{1}行：记录给同一地址赋了另一个值"},
    Translation{"the file contains no data", "文件中没有数据"},
    Translation{"line {}: 0x{} (line {}, 0x{}) and 0x{} (line {}, 0x{}) fall on one place of the 2 MiB image with "
                "two values",
                "第{1}行：地址0x{2}（第{3}行，0x{4}）与地址0x{5}（第{6}行，0x{7}）落在2 MiB映像的同一位置，而值不同"},
    Translation{"0x{} (0x{}) and 0x{} (0x{}) fall on one place of the 2 MiB image with two values",
                "地址0x{1}（0x{2}）与地址0x{3}（0x{4}）落在2 MiB映像的同一位置，而值不同"},
    Translation{"0x{} is given two values, 0x{} on line {} and 0x{} on line {}",
                "地址0x{1}有两个不同的值：第{3}行为0x{2}，第{5}行为0x{4}"},
    // Warnings: what was read all the same.
    Translation{"line {}: text after the end-of-file record is not read", "第{1}行：文件结束记录之后的文本未读取"},
    Translation{"line {}: the record gives 0x{} the value it was given before", "第{1}行：记录再次给地址0x{2}赋了相同的值"},
    Translation{"line {}: records follow the start record of line {}, and are read",
                "第{1}行：第{2}行的起始地址记录之后还有记录，已一并读取"},
    Translation{"no start record (S7, S8 or S9): the file gives no start address",
                "没有起始地址记录（S7、S8或S9）：文件未给出起始地址"},
    Translation{"the HEX file could not be converted", "HEX文件未能转换"},
    Translation{"the file holds Intel HEX text under a name that is not a HEX file's; name it .hex to convert it, or "
                "give --as-bin before it to use its bytes as they are",
                "文件的内容是HEX格式的文本，但文件名不是HEX文件的名字；请将其改名为.hex后转换"},
    // Files and folders.
    Translation{"no file name was given", "没有给出文件名"},
    Translation{"it is a folder, not a file", "这是文件夹，不是文件"},
    Translation{"it is not a regular file", "这不是普通文件"},
    Translation{"the file is read-only", "文件为只读"},
    Translation{"its folder is read-only", "文件所在的文件夹为只读"},
    Translation{"the name ends in a separator, so it names a folder, not a file", "名称以分隔符结尾，指的是文件夹而不是文件"},
    Translation{"the path goes through {}, a link another user made in a folder every user may write; it is not "
                "followed",
                "路径经过{1}，这是其他用户在所有用户都可写的文件夹中建立的链接，不予跟随"},
    Translation{"the system gave no reason", "系统未给出原因"},
    Translation{"the file cannot be read", "文件无法读取"},
    Translation{"the file is empty", "文件为空"},
    // The HEX text's limit before the general one, which would take it too.
    Translation{"the file is {} bytes long, more than the {} bytes (6 MiB of HEX text) a row takes",
                "文件长{1}字节，超过一行可接受的{2}字节（6 MiB的HEX文本）"},
    Translation{"the file is {} bytes long, more than the {} bytes ({}) a row takes",
                "文件长{1}字节，超过一行可接受的{2}字节（{3}）"},
    Translation{"the file is {} bytes long, more than the {} bytes (4 MiB) a project file may be",
                "文件长{1}字节，超过配置文件的上限{2}字节（4 MiB）"},
    Translation{"the file is {} bytes long, more than the {} bytes that are checked", "文件长{1}字节，超过可校验的{2}字节"},
    Translation{"the file is {} bytes long, more than the {} bytes that are converted",
                "文件长{1}字节，超过可转换的{2}字节"},
    Translation{"the file changed since it was chosen: {} bytes were recorded, it now has {}",
                "文件在选择之后已改变：记录的长度为{1}字节，现在为{2}字节"},
    Translation{"the file changed: {} bytes were recorded, it now has {}",
                "文件已改变：记录的长度为{1}字节，现在为{2}字节"},
    Translation{"out of memory", "内存不足"},
    // The merge.
    Translation{"the merge was cancelled: {}", "合并已取消：{1}"},
    Translation{"the merge is cancelled here: {}", "合并在此取消：{1}"},
    Translation{"placed at 0x{} its {} bytes would end at 0x{}, past the 6 MiB image (0x{})",
                "放在0x{1}处，其{2}字节将结束于0x{3}，超出6 MiB的合并文件（0x{4}）"},
    Translation{"no output file was given", "没有给出输出文件"},
    Translation{"no row holds a file", "没有一行选择了文件"},
    // The tools.
    Translation{"neither a file nor data was given", "既没有给出文件，也没有给出数据"},
    Translation{"the data holds no pair of hex digits", "数据中没有成对的十六进制数字"},
    Translation{"the length is 0", "长度为0"},
    Translation{"the length {} is more than the {} bytes (2 MiB) of a test file", "长度{1}超过测试文件的上限{2}字节（2 MiB）"},
    Translation{"the alignment is 1 byte, which pads nothing", "对齐长度为1字节，无需补充"},
    Translation{"no configuration file was given", "没有给出网卡配置文件"},
    Translation{"no upgrade image was given", "没有给出升级文件"},
    Translation{"the file is {} bytes long, shorter than its {}-byte tag", "文件长{1}字节，短于{2}字节的文件标记"},
    Translation{"the file does not begin with the tag \"{}\" and a zero byte", "文件不是以标记“{1}”和一个零字节开头"},
    Translation{"the image is {} bytes long, more than the {} bytes (64 MiB) an image may be",
                "映像长{1}字节，超过映像的上限{2}字节（64 MiB）"},
    Translation{"the image is {} bytes long; the settings at 0x{} need at least {} bytes",
                "映像长{1}字节；位于0x{2}的配置至少需要{3}字节"},
    // Other formats: S-records and ELF.
    Translation{"the record's checksum does not match", "记录的校验和不符"},
    Translation{"the record is cut off by the end of the file", "记录被文件末尾截断"},
    Translation{"the record holds a character that is not a hex digit", "记录中有非十六进制字符"},
    Translation{"unknown record type", "未知的记录类型"},
    Translation{"no record starts at byte {} (a record begins its line with 'S')",
                "第{1}字节处不是记录的开头（S-record记录须在行首以“S”开始）"},
    Translation{"a count record holds no data", "计数记录中没有数据"},
    Translation{"the count record says {} data records, the file has {} before it",
                "计数记录为{1}条数据记录，而此前文件中有{2}条"},
    Translation{"a start record holds no data", "起始地址记录中没有数据"},
    Translation{"an S{} record holds at least {} bytes", "S{1}记录至少有{2}字节"},
    Translation{"the data at 0x{} runs past the end of the 32-bit address space", "地址0x{1}处的数据超出32位地址空间"},
    Translation{"the file ends without a start record (S7, S8 or S9)", "文件结束时没有起始地址记录（S7、S8或S9）"},
    Translation{"the file is not an ELF file (no ELF magic at its start)", "文件不是ELF文件（开头没有ELF标识）"},
    Translation{"unknown ELF class {} (1 is 32-bit, 2 is 64-bit)", "未知的ELF类别{1}（1为32位，2为64位）"},
    Translation{"unknown ELF byte order {} (1 is little, 2 is big endian)", "未知的ELF字节顺序{1}（1为小端，2为大端）"},
    Translation{"the ELF header is cut off: the file has {} bytes, the header {}",
                "ELF文件头不完整：文件只有{1}字节，文件头需要{2}字节"},
    Translation{"the program header count is in a section header outside the file", "程序头数目所在的节头在文件之外"},
    Translation{"the ELF file has no program headers (a relocatable object has no load address)",
                "ELF文件没有程序头（可重定位目标文件没有装载地址）"},
    Translation{"program headers of {} bytes are too small (at least {})", "程序头长{1}字节，过小（至少{2}字节）"},
    Translation{"the program header table ({} entries at byte {}) lies outside the file",
                "程序头表（{1}项，位于第{2}字节）在文件之外"},
    Translation{"program header {}: its {} bytes at byte {} lie outside the file ({} bytes)",
                "程序头{1}：位于第{3}字节的{2}字节在文件（{4}字节）之外"},
    Translation{"program header {}: its {} bytes at 0x{} pass the end of the 32-bit address space",
                "程序头{1}：位于0x{3}的{2}字节超出32位地址空间"},
    Translation{"the ELF file has no loadable segment with bytes in the file", "ELF文件中没有含数据的可装载段"},
    Translation{"program header {}: its file size 0x{} is larger than its memory size 0x{}",
                "程序头{1}：文件中的长度0x{2}大于内存中的长度0x{3}"},
    Translation{"program header {}: 0x{} is given two values, 0x{} by program header {} and 0x{} by program header {}",
                "程序头{1}：地址0x{2}有两个不同的值：程序头{4}为0x{3}，程序头{6}为0x{5}"},
    Translation{"the image of {} bytes at the base address 0x{} would pass the end of the 32-bit address space",
                "{1}字节的合并文件从起始地址0x{2}开始将超出32位地址空间"},
    Translation{"a merge needs at least two selected files", "合并至少需要选择两个文件"},
    // Integrity fields and the stamp tool.
    Translation{"a field is NAME@AT:START-END, e.g. crc32@7FFC:0-7FFB",
                "校验值字段的格式为“名称@写入地址:起始地址-结束地址”，例如crc32@7FFC:0-7FFB"},
    Translation{"unknown field '{}' (a CRC preset, crc/WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT, add8, add16, add32, sum8 "
                "to sum64, length32 or sha256)",
                "未知的校验方式“{1}”（可为CRC预设、自定义的crc/宽度/多项式/初值/输入反转/输出反转/结果异或值、add8、add16、"
                "add32、sum8至sum64、length32或sha256）"},
    Translation{"custom CRC {}: it is crc/WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT",
                "自定义CRC {1}：格式为crc/宽度/多项式/初值/输入反转/输出反转/结果异或值"},
    Translation{"custom CRC {}: WIDTH is decimal, POLY, INIT and XOROUT hex, REFIN and REFOUT 0 or 1",
                "自定义CRC {1}：宽度为十进制数，多项式、初值和结果异或值为十六进制数，输入反转和输出反转为0或1"},
    Translation{"custom CRC {}: {}", "自定义CRC {1}：{2}"},
    Translation{"the width {} is not 8 to 64 bits", "宽度{1}不在8到64位之间"},
    Translation{"a value does not fit the width of {} bits", "有数值超出{1}位的宽度"},
    Translation{"the polynomial must have its lowest bit set", "多项式的最低位必须为1"},
    Translation{"the field has no range: NAME@AT:START-END", "字段没有校验范围：名称@写入地址:起始地址-结束地址"},
    Translation{"the field's address takes 1 to 8 hex digits", "字段的写入地址应为1到8位十六进制数"},
    Translation{"the field's address takes 1 to 8 hex digits, or end", "字段的写入地址应为1到8位十六进制数，或end"},
    Translation{"the range is START-END", "校验范围的格式为“起始地址-结束地址”"},
    Translation{"the range's addresses take 1 to 8 hex digits", "校验范围的地址应为1到8位十六进制数"},
    Translation{"the range's start takes 1 to 8 hex digits, or start", "校验范围的起始地址应为1到8位十六进制数，或start"},
    Translation{"the range's end takes 1 to 8 hex digits, or end", "校验范围的结束地址应为1到8位十六进制数，或end"},
    Translation{"{}: the image ends at 0x{}, past the 32-bit address space", "{1}：映像结束于0x{2}，超出了32位地址空间"},
    Translation{"{}: the image holds no byte for end to name", "{1}：映像中没有数据，end不能表示任何地址"},
    Translation{"{}: its words are not resolved against an image", "{1}：其中的start或end尚未按映像确定地址"},
    Translation{"the fields with end or start do not fit an image from 0x{} that ends at 0x{}",
                "使用end或start的字段无法放入从0x{1}开始、结束于0x{2}的映像"},
    Translation{"the range ends before it starts", "校验范围的结束地址小于起始地址"},
    Translation{"the byte order is be or le", "字节顺序应为be或le"},
    Translation{"the range of {} ends before it starts", "{1}的校验范围的结束地址小于起始地址"},
    Translation{"{} lies below the image's first address 0x{}", "{1}低于映像的起始地址0x{2}"},
    Translation{"{} reaches past 0x{}, the end of what the image may hold", "{1}超出了映像可容纳的末尾0x{2}"},
    Translation{"{} lies inside its own range", "{1}位于自己的校验范围之内"},
    Translation{"{} overlaps the field {}", "{1}与字段{2}重叠"},
    Translation{"no image file was chosen", "没有选择映像文件"},
    Translation{"no field was given", "没有给出校验值字段"},
    Translation{"the output would replace the image", "输出文件将覆盖源文件"},
    Translation{"ELF is read, not written", "ELF文件只能读取，不能写出"},
    Translation{"the file is larger than 256 MiB", "文件大于256 MiB"},
    Translation{"the image holds no byte", "映像中没有数据"},
    Translation{"a BIN of 0x{}-0x{} would need more than 64 MiB", "0x{1}-0x{2}的BIN文件将超过64 MiB"},
    Translation{"the fill byte takes 1 or 2 hex digits", "填充数据应为1到2位十六进制数"},
    Translation{"the base address takes 1 to 8 hex digits", "起始地址应为1到8位十六进制数"},
    Translation{"only Intel HEX and S-records are written as records", "只有Intel HEX和S-record文件以记录写出"},
    Translation{"a record holds 1 to 255 data bytes", "每条记录有1到255个数据字节"},
    Translation{"the S-record type is 1, 2 or 3", "S-record的类型应为1、2或3"},
    // The image comparison and the check of fields.
    Translation{"{} bytes at 0x{} would pass the end of the 32-bit address space", "{1}字节从0x{2}开始将超出32位地址空间"},
    Translation{"two files are needed, A and B", "需要两个文件：文件A和文件B"},
    Translation{"the range is START-END in hex, END not below START",
                "比较范围应为“起始-结束”，均为十六进制数，结束不小于起始"},
    Translation{"the field {} moved to the image's first address 0x{} would pass the end of the 32-bit address space",
                "字段{1}按映像的最低地址0x{2}计算后将超出32位地址空间"},
    Translation{"the file became shorter while it was read", "文件在读取过程中变短了"},
    // The merge's settings in a project.
    Translation{"[{}] {}={} is not bin, hex or srec", "[{1}] {2}={3}不是bin、hex或srec"},
    Translation{"[{}] {}={} is not flash or offset", "[{1}] {2}={3}不是flash或offset"},
    Translation{"[{}] {}={} is not row or 00", "[{1}] {2}={3}不是row或00"},
    Translation{"[{}] {}={} is not 1 to 8 hex digits", "[{1}] {2}={3}不是1到8位十六进制数"},
    Translation{"[{}] holds more than {} fields", "[{1}]中的校验值字段超过{2}个"},
    Translation{"[{}] {}={}: {}", "[{1}] {2}={3}：{4}"},
    Translation{"a project keeps at most {} fields", "配置文件最多保存{1}个校验值字段"},
    // Fields in the range of an earlier one, a field past the image's end,
    // an incomplete merge, and project values the reader would cut.
    Translation{"{} lies inside the range of {}, computed before it: that value would no longer match",
                "{1}位于先写入的字段{2}的校验范围之内，写入后{2}的值将不再正确"},
    Translation{"{} would extend the image from 0x{} to 0x{} by {} bytes, more than {} MiB",
                "{1}将使映像从0x{2}延伸到0x{3}，增加{4}字节，超过{5} MiB"},
    Translation{"the image lacks the files left out, and the question whether to write it anyway was answered No: "
                "nothing was written",
                "合并文件缺少未能合并的文件，是否仍然写入的提问回答为“否”，没有写入合并文件"},
    Translation{"the image would lack the files left out", "合并文件将缺少未能合并的文件"},
    Translation{"[{}] {} holds {} characters, more than the {} a project value may have",
                "[{1}]中{2}的值有{3}个字符，超过配置文件中一个值的上限{4}个字符"},
    Translation{"[{}] and [{}] both hold merge settings; a project keeps them in one section",
                "[{1}]和[{2}]中都有合并设置；配置文件只在一个节中保存合并设置"},
    Translation{"[{}] {} is none of MergeField1, MergeField2, ...", "[{1}]中的{2}不是MergeField1、MergeField2……之一"},
    Translation{"[{}] has MergeField{} but no MergeField{}", "[{1}]中有MergeField{2}，但没有MergeField{3}"},
    // The serialiser.
    Translation{"the count is 0: nothing to write", "数量为0：没有要生成的映像"},
    Translation{"{} images are more than the {} one run writes", "{1}个映像超过了一次最多可生成的{2}个"},
    Translation{"the step is 0: every image would get the same number", "步长为0：每个映像的序列号都将相同"},
    Translation{"the MAC step is 0: every image would get the same MAC address", "MAC地址步长为0：每个映像的MAC地址都将相同"},
    Translation{"the first MAC address has more than 48 bits", "起始MAC地址超过48位"},
    Translation{"the output name {} holds no {serial}, {serial:hex} or {mac}: every image would have the same name",
                "输出文件名{1}中没有{serial}、{serial:hex}或{mac}：每个映像的文件名都将相同"},
    Translation{"the output name uses {mac}, but no MAC address is written", "输出文件名中有{mac}，但没有写入MAC地址"},
    Translation{"the output name {}: {}", "输出文件名{1}：{2}"},
    Translation{"the '}' at character {} closes no placeholder (write }} for a brace)",
                "第{1}个字符“}”之前没有对应的“{”（花括号本身请写作}}）"},
    Translation{"the '{' at character {} opens no placeholder (write {{ for a brace)",
                "第{1}个字符“{”之后没有对应的“}”（花括号本身请写作{{）"},
    Translation{"{} is none of {serial}, {serial:hex}, {mac}", "{1}不是{serial}、{serial:hex}或{mac}"},
    Translation{"a placeholder stands in the folder part: every image of a run goes to one folder",
                "文件夹部分不能含有{serial}等占位符：一次生成的映像都放在同一个文件夹中"},
    Translation{"{} would make the image grow by more than 64 MiB", "{1}将使映像增大超过64 MiB"},
    Translation{"the serial number at 0x{} and the MAC address at 0x{} overlap",
                "地址0x{1}处的序列号与地址0x{2}处的MAC地址重叠"},
    Translation{"the field {} would be written over {}", "字段{1}将写在{2}之上"},
    Translation{"serial number {} does not fit {}, which holds at most {}", "序列号{1}超出了{2}可容纳的范围（最大为{3}）"},
    Translation{"the serial numbers would reach 2^64 - 1 and leave no next number",
                "序列号将达到2^64 - 1，之后没有可用的序列号"},
    Translation{"the MAC addresses from {} by {} would pass FF:FF:FF:FF:FF:FF after {} images",
                "MAC地址从{1}起以步长{2}递增，在第{3}个映像之后将超过FF:FF:FF:FF:FF:FF"},
    Translation{"the next MAC address would pass FF:FF:FF:FF:FF:FF", "下一个MAC地址将超过FF:FF:FF:FF:FF:FF"},
    Translation{"the MAC addresses would reach FF:FF:FF:FF:FF:FF and leave no next one",
                "MAC地址将达到FF:FF:FF:FF:FF:FF，之后没有可用的MAC地址"},
    Translation{"the manifest records every number up to 2^64 - 1", "记录文件中已记录了直到2^64 - 1的所有序列号"},
    Translation{"serial number {} is recorded already in {} (line {}); give --allow-reuse to issue it again",
                "序列号{1}已记录在{2}中（第{3}行），不能再次使用"},
    Translation{"MAC address {} is recorded already in {} (line {}); give --allow-reuse to issue it again",
                "MAC地址{1}已记录在{2}中（第{3}行），不能再次使用"},
    Translation{"{}: its columns are {}; this run writes {}: name another manifest",
                "{1}：其中的列为{2}，本次生成的列为{3}：请另选记录文件"},
    Translation{"{}: its last line was cut short (an append that did not finish); it is dropped before this run's "
                "first line, and its image recorded again",
                "{1}：最后一行不完整（上次追加记录时中断）；本次生成前将删去该行，并重新记录其映像"},
    Translation{"{}: the images of serial numbers {} to {} were found whole at their names but not recorded (a run "
                "ended between writing and recording them): they are recorded now, not written again",
                "{1}：序列号{2}至{3}的映像已完整存在但未记录（上次生成在写入与记录之间中断）：本次只记录，不再重写"},
    Translation{"{} records serial numbers {} to {} after the project's next number: a run ended before it updated "
                "the project; this run continues at {}",
                "{1}中记录了工程的下一个序列号之后的序列号{2}至{3}：上次生成在更新工程之前中断；本次从{4}继续"},
    Translation{"{} line {} records serial number {} with MAC {}, where the project's settings give {}: the manifest "
                "and the project disagree",
                "{1}第{2}行记录的序列号{3}的MAC地址为{4}，而按工程的设置应为{5}：记录文件与工程不一致"},
    Translation{"the folder {} does not exist", "文件夹{1}不存在"},
    Translation{"the manifest {} would replace {}", "记录文件{1}将覆盖{2}"},
    Translation{"{} would replace {}, a file of this run", "{1}将覆盖本次使用的文件{2}"},
    Translation{"{} is not a regular file", "{1}不是普通文件"},
    Translation{"{} exists (serial number {}); give --force to replace it", "{1}已存在（序列号{2}），不会被覆盖"},
    Translation{"the name was taken while the run wrote", "生成过程中该文件名已被其他文件占用"},
    Translation{"the disk is full", "磁盘已满"},
    Translation{"{}; the images of serial numbers {} on are at their names but not recorded",
                "{1}；序列号{2}起的映像已写入但未记录"},
    Translation{"larger than 256 MiB", "大于256 MiB"},
    Translation{"its first line is no header with the columns serial and mac", "第一行不是含有serial和mac两列的标题行"},
    Translation{"line {} has {} cells, the header {}", "第{1}行有{2}个单元格，而标题行有{3}个"},
    Translation{"line {}: the serial '{}' is no decimal number", "第{1}行：序列号“{2}”不是十进制数"},
    Translation{"line {}: the mac '{}' is no MAC address", "第{1}行：“{2}”不是MAC地址"},
    Translation{"line {}: text after a quoted cell", "第{1}行：引号括起的单元格之后还有文字"},
    Translation{"line {} opens a quote that no line closes", "第{1}行的引号没有结束"},
    Translation{"no template was chosen", "没有选择模板映像"},
    Translation{"the serial number's address takes 1 to 8 hex digits", "序列号地址应为1到8位十六进制数"},
    Translation{"the MAC address's place takes 1 to 8 hex digits", "MAC地址的写入地址应为1到8位十六进制数"},
    Translation{"the first serial number is no number", "起始序列号不是数"},
    Translation{"the step is no number", "步长不是数"},
    Translation{"the count is no number", "数量不是数"},
    Translation{"the MAC step is no number", "MAC地址步长不是数"},
    Translation{"the first MAC address is no MAC address", "起始MAC地址不是MAC地址"},
    Translation{"no output folder was chosen", "没有选择输出文件夹"},
    Translation{"no output name was given", "没有填写输出文件名"},
    // Parts of the reasons above, after every reason they stand in.
    Translation{"the serial number at 0x{}", "地址0x{1}处的序列号"},
    Translation{"the MAC address at 0x{}", "地址0x{1}处的MAC地址"},
    // The system's texts.
    Translation{"No such file or directory", "文件或文件夹不存在"},
    Translation{"Permission denied", "没有访问权限"},
    Translation{"No space left on device", "设备上没有剩余空间"},
    Translation{"Read-only file system", "文件系统为只读"},
    Translation{"Is a directory", "这是文件夹"},
    Translation{"Not a directory", "路径中有一部分不是文件夹"},
    Translation{"File too large", "文件过大"},
    Translation{"File name too long", "文件名过长"},
    Translation{"Input/output error", "输入/输出错误"},
    Translation{"Too many levels of symbolic links", "符号链接的层数过多"},
    Translation{"Disk quota exceeded", "超出磁盘配额"},
    Translation{"Device or resource busy", "设备或资源忙"},
    Translation{"Text file busy", "文件正在使用中"},
    Translation{"Operation not permitted", "操作不允许"},
    Translation{"Invalid argument", "参数无效"},
    Translation{"Operation canceled", "操作已取消"},
    Translation{"Resource temporarily unavailable", "资源暂时不可用"},
    Translation{"File exists", "文件已存在"},
    // Rows, batches and projects.
    Translation{"the file changed: {} bytes with the lowest address 0x{} were recorded, it now has {} bytes with the "
                "lowest address 0x{}",
                "文件已改变：记录的长度为{1}字节、最低地址为0x{2}，现在为{3}字节、最低地址为0x{4}"},
    Translation{"the file is a BIN file already (only a name ending in \"hex\" is converted)",
                "该文件已经是BIN文件（只转换名字以hex结尾的文件）"},
    Translation{"the offset 0x{} (image index 0x{}) lies past the end of the file's data at image index 0x{}",
                "偏移地址0x{1}（映像位置0x{2}）超出了文件数据的末尾（映像位置0x{3}）"},
    Translation{"{} file{} selected; the operation needs at least {}", "选择了{1}个文件；此操作至少需要{3}个文件"},
    Translation{"its BIN file {} would replace {}, the file of row {}", "其BIN文件{1}将覆盖文件{3}：{2}"},
    Translation{"its offset 0x{} lies before the end 0x{} of row {}, and the question whether to force it there or "
                "append it was answered Cancel",
                "其偏移地址0x{1}小于文件{3}的结束地址0x{2}，是否强制插入的提问回答为“取消”"},
    Translation{"placed at 0x{} its {} bytes would end at 0x{}, past the 6 MiB image (0x{}), and the question whether "
                "to append it was answered No",
                "放在0x{1}处，其{2}字节将结束于0x{3}，超出6 MiB的合并文件（0x{4}），是否追加的提问回答为“否”"},
    Translation{"placing the file at 0x{} would pass the 6 MiB image", "文件放在0x{1}处将超出6 MiB的合并文件"},
    Translation{"the file changed since it was chosen", "文件在选择之后已改变"},
    Translation{"the recorded size {} bytes is no file's size", "记录的大小{1}字节不是有效的文件大小"},
    Translation{"the file has more section names than fit the {} characters a project's list takes (at most nine "
                "sections)",
                "文件中的节名超过了节名列表可容纳的{1}个字符（最多九个节）"},
    Translation{"the section name [{}] is not one of FileInfo1 to FileInfo6", "节名[{1}]不是FileInfo1到FileInfo6之一"},
    Translation{"a section name is not one of FileInfo1 to FileInfo6", "有节名不是FileInfo1到FileInfo6之一"},
    Translation{"the file holds no section", "文件中没有节"},
    Translation{"the project holds no section", "配置中没有节"},
    Translation{"the path has {} characters, more than the {} a project file holds",
                "路径有{1}个字符，超过配置文件可保存的{2}个字符"},
    Translation{"the path holds a line break", "路径中有换行符"},
    Translation{"the path holds characters the system code page cannot represent", "路径中有当前系统编码无法表示的字符"},
    Translation{"the project would replace {}, the file of row {}", "配置文件将覆盖文件{2}：{1}"},
    Translation{"no alignment is chosen: PolishType is {}, not 0 to 3", "未选择对齐长度：PolishType为{1}，不在0到3之间"},
    Translation{"S{} records cannot hold the address 0x{} (S{} or above can)", "S{1}记录无法容纳地址0x{2}（需要S{3}或以上）"},
    Translation{"the path goes through {}, a link another user made in a folder every user may write; it is not "
                "followed",
                "路径经过{1}，这是其他用户在所有用户都可写入的文件夹中创建的链接，不会跟随该链接"},
    // The tools' own.
    Translation{"the data has an odd number of hex digits ({}); each byte takes two",
                "数据中的十六进制数字为奇数个（{1}个）；每个字节需要两个数字"},
    Translation{"the data holds no hex digit", "数据中没有十六进制数字"},
    Translation{"\"0x\" stands before no hex digit", "“0x”之后没有十六进制数字"},
    Translation{"'{}' is not a hex digit", "“{1}”不是十六进制数字"},
    Translation{"the data spans 0x{} to 0x{}, more than the 64 MiB a BIN of it may have",
                "数据从0x{1}到0x{2}，超过BIN文件的上限64 MiB"},
    Translation{"the first filled address 0x{} lies past the length {} (0x{})", "填充起始地址0x{1}超出了文件长度{2}（0x{3}）"},
    Translation{"the last filled address 0x{} lies past the file's last byte 0x{}",
                "填充结束地址0x{1}超出了文件的最后一个字节0x{2}"},
    Translation{"the first filled address 0x{} lies past the last one 0x{}", "填充起始地址0x{1}大于结束地址0x{2}"},
    Translation{"the target would replace the source {}", "目标文件将覆盖源文件{1}"},
    Translation{"the output would replace an input image {}", "输出文件将覆盖输入映像{1}"},
    Translation{"the output would replace the configuration file {}", "输出文件将覆盖网卡配置文件{1}"},
    Translation{"the output would replace the output of the other image {}", "输出文件将覆盖另一个映像的输出文件{1}"},
    // A reason of a record's line, and a reason of a named file, last: every
    // more particular reason above is matched first.
    Translation{"line {}: {}", "第{1}行：{2}"},
    Translation{"{}: {}", "{1}：{2}"},
};

// The texts "{}" stands for in `text`, when `pattern` matches it whole. A
// placeholder takes the shortest text after which the rest still matches.
bool Match(const std::string& pattern, size_t p, const std::string& text, size_t t, std::vector<std::string>& parts) {
    const size_t hole = pattern.find("{}", p);
    const std::string literal = pattern.substr(p, hole == std::string::npos ? std::string::npos : hole - p);
    if (text.compare(t, literal.size(), literal) != 0) return false;
    t += literal.size();
    if (hole == std::string::npos) return t == text.size();
    const size_t next = hole + 2;
    for (size_t end = t + 1; end <= text.size(); ++end) {
        parts.push_back(text.substr(t, end - t));
        if (Match(pattern, next, text, end, parts)) return true;
        parts.pop_back();
    }
    return false;
}

std::string Fill(const std::string& chinese, const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < chinese.size(); ++i) {
        if (chinese[i] == '{') {
            const size_t close = chinese.find('}', i);
            // {1}, {2} ...; other braces ({serial}) are the text's own.
            const bool number = close != std::string::npos && close > i + 1 && close - i <= 3 &&
                                std::all_of(chinese.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                            chinese.begin() + static_cast<std::ptrdiff_t>(close),
                                            [](char c) { return c >= '0' && c <= '9'; });
            if (number) {
                const size_t n = static_cast<size_t>(std::stoul(chinese.substr(i + 1, close - i - 1)));
                if (n >= 1 && n <= parts.size()) out += ChineseReason(parts[n - 1]);
                i = close;
                continue;
            }
        }
        out += chinese[i];
    }
    return out;
}

// A field as torvane-cli spells it ("CRC-32/ISO-HDLC@8006802:8000000-80067FF"):
// the window names it in its own words.
std::optional<std::string> FieldInWindowWords(const std::string& text) {
    if (text.find('@') == std::string::npos || text.find(' ') != std::string::npos) return std::nullopt;
    const std::optional<FieldSpec> field = ParseFieldSpec(text);
    if (!field) return std::nullopt;
    return FieldChineseText(*field);
}

}  // namespace

std::string FieldPlaceText(FieldWord word, uint32_t value) {
    if (word == FieldWord::Start) return Localized("映像起始");
    if (word == FieldWord::End) return Localized("映像末尾");
    return Format("0x%08X", value);
}

std::string FieldChineseText(const FieldSpec& f) {
    return Format("%s（写入地址%s，范围%s-%s）", f.Name().c_str(), FieldPlaceText(f.atWord, f.at).c_str(),
                  FieldPlaceText(f.startWord, f.start).c_str(), FieldPlaceText(f.endWord, f.end).c_str());
}

std::string ChineseReason(const std::string& english) {
    // Reasons are a line; anything far longer is not one of ours to match.
    if (english.size() > 2000) return english;
    if (std::optional<std::string> field = FieldInWindowWords(english)) return *field;
    for (const Translation& t : kTranslations) {
        std::vector<std::string> parts;
        if (Match(t.english, 0, english, 0, parts)) return Fill(t.chinese, parts);
    }
    return english;
}

std::string ChineseReasonDetail(const FailureReason& reason) {
    const std::string why = ChineseReason(reason.reason);
    if (reason.path.empty()) return why;
    const std::string file = reason.row > 0 ? Format("文件%d：%s", reason.row, reason.path.c_str()) : "文件：" + reason.path;
    return why.empty() ? file : file + "\n" + why;
}

}  // namespace torvane
