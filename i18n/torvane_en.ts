<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Torvane</name>
    <message>
        <source>关于 Torvane</source>
        <translation>About Torvane</translation>
    </message>
    <message>
        <source>版权所有 (C) 2026 Torvane 开发者，保留所有权利。</source>
        <translation>Copyright (C) 2026 the Torvane developers. All rights reserved.</translation>
    </message>
    <message>
        <source>联系我们</source>
        <translation>Contact Us</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>我们的联系网址如下，可复制后在浏览器中打开：</source>
        <translation>Our contact page is at the address below; copy it into your browser:</translation>
    </message>
    <message>
        <source>内存不足，操作未能完成！</source>
        <translation>Out of memory: the operation was not completed.</translation>
    </message>
    <message>
        <source>发生意外错误，操作未能完成！</source>
        <translation>An unexpected error occurred: the operation was not completed.</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>功能(&amp;M)</source>
        <translation>&amp;Mode</translation>
    </message>
    <message>
        <source>工具(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>导入配置文件</source>
        <translation>Import Project</translation>
    </message>
    <message>
        <source>导出配置文件</source>
        <translation>Export Project</translation>
    </message>
    <message>
        <source>保存操作记录</source>
        <translation>Save Log</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>清空操作记录</source>
        <translation>Clear Log</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>HEX转BIN</source>
        <translation>HEX to BIN</translation>
    </message>
    <message>
        <source>合并BIN文件</source>
        <translation>Merge BIN Files</translation>
    </message>
    <message>
        <source>对齐BIN文件</source>
        <translation>Align BIN Files</translation>
    </message>
    <message>
        <source>内存分布图</source>
        <translation>Memory Map</translation>
    </message>
    <message>
        <source>合并设置</source>
        <translation>Merge Settings</translation>
    </message>
    <message>
        <source>清空文件列表信息</source>
        <translation>Clear File List</translation>
    </message>
    <message>
        <source>生成文件校验值</source>
        <translation>Compute Check Value</translation>
    </message>
    <message>
        <source>写入校验值</source>
        <translation>Write Check Value</translation>
    </message>
    <message>
        <source>比较映像文件</source>
        <translation>Compare Image Files</translation>
    </message>
    <message>
        <source>批量生成序列号映像</source>
        <translation>Serial-Number Images</translation>
    </message>
    <message>
        <source>生成测试文件</source>
        <translation>Create Test File</translation>
    </message>
    <message>
        <source>转换文件格式</source>
        <translation>Convert to C Array</translation>
    </message>
    <message>
        <source>生成网卡升级文件</source>
        <translation>Create NIC Upgrade File</translation>
    </message>
    <message>
        <source>关于Torvane</source>
        <translation>About Torvane</translation>
    </message>
    <message>
        <source>关于 Torvane(&amp;A)...</source>
        <translation>&amp;About Torvane...</translation>
    </message>
    <message>
        <source>目标文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>文件大小（字节)</source>
        <translation>Size (bytes)</translation>
    </message>
    <message>
        <source>对齐字节</source>
        <translation>Alignment</translation>
    </message>
    <message>
        <source>补充数据</source>
        <translation>Fill byte</translation>
    </message>
    <message>
        <source>HEX文件偏移地址(0x)</source>
        <translation>HEX offset (0x)</translation>
    </message>
    <message>
        <source>保留HEX文件偏移地址前数据</source>
        <translation>Keep data before the HEX offset</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>输出文件(&amp;O)：</source>
        <translation>&amp;Output file:</translation>
    </message>
    <message>
        <source>操作记录</source>
        <translation>Operation Log</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>Use System Language</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>语言设置将在下次启动Torvane时生效。</source>
        <translation>The language setting takes effect the next time Torvane starts.</translation>
    </message>
    <message>
        <source>校验值</source>
        <translation>Check value</translation>
    </message>
    <message>
        <source>空隙 %1</source>
        <translation>Gap %1</translation>
    </message>
    <message>
        <source>填充数据 0x%1</source>
        <translation>Fill byte 0x%1</translation>
    </message>
    <message>
        <source>文件%1：%2（文件内偏移 %3）</source>
        <translation>File %1: %2 (file offset %3)</translation>
    </message>
    <message>
        <source>校验值 %1 %2，校验范围 %3-%4</source>
        <translation>Check value %1 %2, range %3-%4</translation>
    </message>
    <message>
        <source>重叠：文件%1覆盖了文件%2，保留文件%1的数据：%3（文件内偏移 %4）</source>
        <translation>Overlap: file %1 overwrites file %2; file %1 kept: %3 (file offset %4)</translation>
    </message>
    <message>
        <source>文件%1的记录之间的空隙，填充 %2：%3（文件内偏移 %4）</source>
        <translation>Gap between the records of file %1, filled with %2: %3 (file offset %4)</translation>
    </message>
    <message>
        <source>起始地址：%1
结束地址：%2
大小：%3 字节
来源：%4</source>
        <translation>Start: %1
End: %2
Size: %3 bytes
Source: %4</translation>
    </message>
    <message>
        <source>刻度未按比例：小的区段已放大显示</source>
        <translation>Not to scale: small ranges are drawn larger</translation>
    </message>
    <message>
        <source>合并预览（按当前选中的文件）</source>
        <translation>Merge preview (the files selected now)</translation>
    </message>
    <message>
        <source>上次合并的结果</source>
        <translation>Result of the last merge</translation>
    </message>
    <message>
        <source>文件%1的%2分段：%3</source>
        <translation>Segments of file %1 (%2): %3</translation>
    </message>
    <message>
        <source>强制插入</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>追加到上一文件之后</source>
        <translation>Append after the previous file</translation>
    </message>
    <message>
        <source>取消合并</source>
        <translation>Cancel the merge</translation>
    </message>
    <message>
        <source>起始地址</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束地址</source>
        <translation>End</translation>
    </message>
    <message>
        <source>大小（字节）</source>
        <translation>Size (bytes)</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>来源</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>导出PNG...</source>
        <translation>Export PNG...</translation>
    </message>
    <message>
        <source>导出SVG...</source>
        <translation>Export SVG...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>显示：</source>
        <translation>Show:</translation>
    </message>
    <message>
        <source>重叠时：</source>
        <translation>On overlap:</translation>
    </message>
    <message>
        <source>超过6M时：</source>
        <translation>Over 6 MB:</translation>
    </message>
    <message>
        <source>图片保存失败！</source>
        <translation>The picture could not be saved.</translation>
    </message>
    <message>
        <source>文件%1打开失败！</source>
        <translation>File %1 could not be opened.</translation>
    </message>
    <message>
        <source>最低地址 %1，共 %2 个数据段</source>
        <translation>Lowest address %1, %2 segments</translation>
    </message>
    <message>
        <source>解析停止：%1</source>
        <translation>Reading stopped: %1</translation>
    </message>
    <message>
        <source>文件%1不在合并文件中。</source>
        <translation>File %1 is not part of the merged file.</translation>
    </message>
    <message>
        <source>合并将在文件%1处中止，不会生成合并文件。</source>
        <translation>The merge would stop at file %1; no merged file would be written.</translation>
    </message>
    <message>
        <source>请选择至少两个目标文件！</source>
        <translation>Select at least two files.</translation>
    </message>
    <message>
        <source>不会生成合并文件：%1</source>
        <translation>No merged file would be written: %1</translation>
    </message>
    <message>
        <source>合并文件大小：%1 字节，起始地址 %2</source>
        <translation>Merged file: %1 bytes, base address %2</translation>
    </message>
    <message>
        <source>合并文件大小：%1 字节</source>
        <translation>Merged file: %1 bytes</translation>
    </message>
    <message>
        <source>数据段</source>
        <translation>Segment</translation>
    </message>
    <message>
        <source>文件%1</source>
        <translation>File %1</translation>
    </message>
    <message>
        <source>空白</source>
        <translation>Blank</translation>
    </message>
    <message>
        <source>填充</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>重叠</source>
        <translation>Overlap</translation>
    </message>
    <message>
        <source>文件%1覆盖文件%2：%3</source>
        <translation>File %1 overwrites file %2: %3</translation>
    </message>
    <message>
        <source>文件%1内的空隙</source>
        <translation>Gap in file %1</translation>
    </message>
    <message>
        <source>填充 %1：%2</source>
        <translation>Filled with %1: %2</translation>
    </message>
    <message>
        <source>%1 %2，范围 %3-%4</source>
        <translation>%1 %2, range %3-%4</translation>
    </message>
    <message>
        <source>BIN文件（默认）</source>
        <translation>BIN file (default)</translation>
    </message>
    <message>
        <source>Intel HEX文件</source>
        <translation>Intel HEX file</translation>
    </message>
    <message>
        <source>S-record文件</source>
        <translation>S-record file</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>留空则自动选择：所有HEX、S-record和ELF文件都在0x08000000及以上时为0x08000000，否则为0。
HEX和S-record文件的记录地址为合并文件内的偏移加上起始地址；内存分布图按此显示地址。</source>
        <translation>Empty for automatic: 0x08000000 when every HEX, S-record and ELF file lies at 0x08000000 or above, 0 otherwise.
HEX and S-record records are addressed at the offset in the merged file plus the base address; the memory map shows these addresses.</translation>
    </message>
    <message>
        <source>填充0x00（默认）</source>
        <translation>Fill with 0x00 (default)</translation>
    </message>
    <message>
        <source>按该行的补充数据填充</source>
        <translation>Fill with the row&apos;s fill byte</translation>
    </message>
    <message>
        <source>HEX、S-record和ELF文件的记录之间未写入的地址；内存分布图中显示为空隙</source>
        <translation>Addresses between the records of HEX, S-record and ELF files that no record writes; shown as gaps in the memory map</translation>
    </message>
    <message>
        <source>（HEX、S-record和ELF文件内；HEX转BIN和对齐也按此填充）</source>
        <translation>(inside HEX, S-record and ELF files; HEX to BIN and Align fill the same way)</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>输出格式：</source>
        <translation>Output format:</translation>
    </message>
    <message>
        <source>起始地址(0x)：</source>
        <translation>Base address (0x):</translation>
    </message>
    <message>
        <source>记录之间的空隙：</source>
        <translation>Gaps between records:</translation>
    </message>
    <message>
        <source>校验值字段（合并后按顺序写入）：</source>
        <translation>Check fields (written in order after the merge):</translation>
    </message>
    <message>
        <source>起始地址应为1到8位十六进制数！</source>
        <translation>The base address must be 1 to 8 hex digits.</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>校验值字段设置有误：%1</source>
        <translation>Invalid check field settings: %1</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>转换</source>
        <translation>Convert</translation>
    </message>
    <message>
        <source>%1：%2-%3，%4字节</source>
        <translation>%1: %2-%3, %4 bytes</translation>
    </message>
    <message>
        <source>，其中%1字节不同</source>
        <translation>, %1 of them differ</translation>
    </message>
    <message>
        <source>不同字节</source>
        <translation>Differing</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>文件A</source>
        <translation>File A</translation>
    </message>
    <message>
        <source>文件B</source>
        <translation>File B</translation>
    </message>
    <message>
        <source>（刻度未按比例）</source>
        <translation>(not to scale)</translation>
    </message>
    <message>
        <source>（刻度未按比例；折线处两个文件都没有数据）</source>
        <translation>(not to scale; neither file has data where the line breaks)</translation>
    </message>
    <message>
        <source>全部地址</source>
        <translation>All addresses</translation>
    </message>
    <message>
        <source>不填</source>
        <translation>None</translation>
    </message>
    <message>
        <source>比较(&amp;C)</source>
        <translation>&amp;Compare</translation>
    </message>
    <message>
        <source>仅A有</source>
        <translation>Only in A</translation>
    </message>
    <message>
        <source>合并设置中的字段(&amp;M)</source>
        <translation>Fields of the &amp;merge settings</translation>
    </message>
    <message>
        <source>输入的字段(&amp;T)</source>
        <translation>Fields &amp;typed here</translation>
    </message>
    <message>
        <source>合并设置中没有校验值字段。</source>
        <translation>The merge settings have no check fields.</translation>
    </message>
    <message>
        <source>合并设置中有%1个字段；其地址为合并文件内的偏移，按文件A的最低地址计。</source>
        <translation>The merge settings have %1 field(s); their addresses are offsets in the merged file, counted from file A&apos;s lowest address.</translation>
    </message>
    <message>
        <source>合并设置中有%1个字段；其地址为内存分布图中的地址，即合并后文件A中的地址。</source>
        <translation>The merge settings have %1 field(s); their addresses are those of the memory map, i.e. addresses in file A after the merge.</translation>
    </message>
    <message>
        <source>添加字段(&amp;D)</source>
        <translation>A&amp;dd Field</translation>
    </message>
    <message>
        <source>删除字段(&amp;R)</source>
        <translation>&amp;Remove Field</translation>
    </message>
    <message>
        <source>校验(&amp;V)</source>
        <translation>&amp;Verify</translation>
    </message>
    <message>
        <source>字段</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>写入地址</source>
        <translation>Stored at</translation>
    </message>
    <message>
        <source>校验范围</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>存储值</source>
        <translation>Stored</translation>
    </message>
    <message>
        <source>计算值</source>
        <translation>Computed</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>导出报告(&amp;E)</source>
        <translation>&amp;Export Report</translation>
    </message>
    <message>
        <source>文件A(&amp;A)：</source>
        <translation>File &amp;A:</translation>
    </message>
    <message>
        <source>文件B(&amp;B)：</source>
        <translation>File &amp;B:</translation>
    </message>
    <message>
        <source>BIN文件起始地址(0x)：</source>
        <translation>BIN base address (0x):</translation>
    </message>
    <message>
        <source>比较范围(&amp;G)(0x)：</source>
        <translation>Ran&amp;ge (0x):</translation>
    </message>
    <message>
        <source>空白处按(&amp;F)(0x)：</source>
        <translation>&amp;Fill blanks with (0x):</translation>
    </message>
    <message>
        <source>（只在一个文件中有数据的地址，按此字节与另一个文件比较）</source>
        <translation>(where only one file has data, the other is compared as this byte)</translation>
    </message>
    <message>
        <source>每行16字节，左为文件A，右为文件B；不同的字节标为红色，灰色为范围之外或文件中没有的地址。</source>
        <translation>16 bytes a line, file A on the left and file B on the right; differing bytes in red, addresses outside the range or without data in grey.</translation>
    </message>
    <message>
        <source>比较结果</source>
        <translation>Comparison</translation>
    </message>
    <message>
        <source>校验文件A中的字段</source>
        <translation>Verify fields in file A</translation>
    </message>
    <message>
        <source>两个文件的内容相同：%1字节。</source>
        <translation>The files are identical: %1 bytes.</translation>
    </message>
    <message>
        <source>两个文件的内容不同：%1字节不同（%2处），仅A有%3字节（%4处），仅B有%5字节（%6处），%7字节相同。</source>
        <translation>The files differ: %1 bytes differ (%2 ranges), %3 bytes only in A (%4 ranges), %5 bytes only in B (%6 ranges), %7 bytes are the same.</translation>
    </message>
    <message>
        <source>
注意：%1：%2</source>
        <translation>
Note: %1: %2</translation>
    </message>
    <message>
        <source>%1（只显示前1 MiB）</source>
        <translation>%1 (first 1 MiB shown)</translation>
    </message>
    <message>
        <source>（文件中没有）</source>
        <translation>(not in the file)</translation>
    </message>
    <message>
        <source>一致</source>
        <translation>Match</translation>
    </message>
    <message>
        <source>不一致</source>
        <translation>Mismatch</translation>
    </message>
    <message>
        <source>%1个字段不一致。</source>
        <translation>%1 field(s) do not match.</translation>
    </message>
    <message>
        <source>全部%1个字段一致。</source>
        <translation>All %1 field(s) match.</translation>
    </message>
    <message>
        <source>升级文件+CDROM</source>
        <translation>Upgrade image + CD-ROM</translation>
    </message>
    <message>
        <source>升级文件</source>
        <translation>Upgrade image</translation>
    </message>
    <message>
        <source>网卡配置文件</source>
        <translation>NIC configuration file</translation>
    </message>
    <message>
        <source>生成合并后的文件</source>
        <translation>Create Merged File</translation>
    </message>
    <message>
        <source>生成生产使用文件</source>
        <translation>Create Production File</translation>
    </message>
    <message>
        <source>原因：%1</source>
        <translation>Reason: %1</translation>
    </message>
    <message>
        <source>u8（1字节二进制）</source>
        <translation>u8 (1-byte binary)</translation>
    </message>
    <message>
        <source>u16（2字节二进制）</source>
        <translation>u16 (2-byte binary)</translation>
    </message>
    <message>
        <source>u32（4字节二进制）</source>
        <translation>u32 (4-byte binary)</translation>
    </message>
    <message>
        <source>u64（8字节二进制）</source>
        <translation>u64 (8-byte binary)</translation>
    </message>
    <message>
        <source>十进制数字（ASCII）</source>
        <translation>Decimal digits (ASCII)</translation>
    </message>
    <message>
        <source>十六进制数字（ASCII，大写）</source>
        <translation>Hex digits (ASCII, upper case)</translation>
    </message>
    <message>
        <source> 位</source>
        <translation> digits</translation>
    </message>
    <message>
        <source>小端（低字节在前）</source>
        <translation>Little endian (low byte first)</translation>
    </message>
    <message>
        <source>大端（高字节在前）</source>
        <translation>Big endian (high byte first)</translation>
    </message>
    <message>
        <source>写入MAC地址(&amp;M)</source>
        <translation>Write &amp;MAC address</translation>
    </message>
    <message>
        <source>{serial}为十进制序列号，{serial:hex}为十六进制序列号，{mac}为MAC地址（如001122AABBCC）；扩展名决定格式（.hex、.s19、.srec等，其余为BIN）。</source>
        <translation>{serial} is the serial number in decimal, {serial:hex} in hex, {mac} the MAC address (e.g. 001122AABBCC); the extension chooses the format (.hex, .s19, .srec and so on; BIN otherwise).</translation>
    </message>
    <message>
        <source>不记录</source>
        <translation>None</translation>
    </message>
    <message>
        <source>生成(&amp;G)</source>
        <translation>&amp;Generate</translation>
    </message>
    <message>
        <source>模板映像(&amp;T)：</source>
        <translation>&amp;Template image:</translation>
    </message>
    <message>
        <source>填充数据(0x)：</source>
        <translation>Fill byte (0x):</translation>
    </message>
    <message>
        <source>序列号地址(0x)(&amp;S)：</source>
        <translation>&amp;Serial number at (0x):</translation>
    </message>
    <message>
        <source>格式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>起始序列号(&amp;F)：</source>
        <translation>&amp;First serial number:</translation>
    </message>
    <message>
        <source>步长：</source>
        <translation>Step:</translation>
    </message>
    <message>
        <source>数量(&amp;C)：</source>
        <translation>&amp;Count:</translation>
    </message>
    <message>
        <source>写入地址(0x)：</source>
        <translation>Write at (0x):</translation>
    </message>
    <message>
        <source>起始MAC地址：</source>
        <translation>First MAC address:</translation>
    </message>
    <message>
        <source>校验值字段（写入序列号和MAC地址之后按顺序写入，校验范围可包含它们）：</source>
        <translation>Check fields (written in order after the serial number and MAC address; their ranges may cover them):</translation>
    </message>
    <message>
        <source>输出文件夹(&amp;O)：</source>
        <translation>&amp;Output folder:</translation>
    </message>
    <message>
        <source>文件名(&amp;N)：</source>
        <translation>File &amp;name:</translation>
    </message>
    <message>
        <source>记录文件(CSV)(&amp;R)：</source>
        <translation>&amp;Record file (CSV):</translation>
    </message>
    <message>
        <source>或%1</source>
        <translation>or %1</translation>
    </message>
    <message>
        <source>整个映像，写在末尾</source>
        <translation>Whole image, stored at the end</translation>
    </message>
    <message>
        <source>写入地址填end（映像最后一个字节之后），校验范围填start-end（写入前的整个映像）</source>
        <translation>Sets the address to end (just after the last byte of the image) and the range to start-end (the whole image before the field is written)</translation>
    </message>
    <message>
        <source>校验方式：</source>
        <translation>Method:</translation>
    </message>
    <message>
        <source>校验范围(0x)：</source>
        <translation>Range (0x):</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>字节顺序：</source>
        <translation>Byte order:</translation>
    </message>
    <message>
        <source>“123456789”的校验值：%1（宽%2字节）</source>
        <translation>Check value of &quot;123456789&quot;: %1 (width in bytes: %2)</translation>
    </message>
    <message>
        <source>校验范围的结束地址小于起始地址！</source>
        <translation>The end of the range is below its start.</translation>
    </message>
    <message>
        <source>添加(&amp;A)</source>
        <translation>&amp;Add</translation>
    </message>
    <message>
        <source>替换</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move Up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move Down</translation>
    </message>
    <message>
        <source>源文件：</source>
        <translation>Source file:</translation>
    </message>
    <message>
        <source>输出文件：</source>
        <translation>Output file:</translation>
    </message>
    <message>
        <source>文件长度：</source>
        <translation>File length:</translation>
    </message>
    <message>
        <source>填充首地址： 0x</source>
        <translation>Fill from: 0x</translation>
    </message>
    <message>
        <source>填充末地址： 0x</source>
        <translation>Fill to: 0x</translation>
    </message>
    <message>
        <source>填充数据 ：  0x</source>
        <translation>Fill byte: 0x</translation>
    </message>
    <message>
        <source>随机数</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>BIN文件路径：</source>
        <translation>BIN file path:</translation>
    </message>
    <message>
        <source>生成</source>
        <translation>Generate</translation>
    </message>
    <message>
        <source>重置</source>
        <translation>Reset</translation>
    </message>
</context>
</TS>
