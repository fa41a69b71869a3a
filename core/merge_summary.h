#pragma once

#include <string>

namespace torvane {

class Workspace;

// The line the main window shows in the merge mode: what the merge of the
// selected rows would make, before it runs, with every setting that decides
// it (also those kept from an earlier project), so none of them is hidden.
struct MergeSummary {
    std::string text;       // "合并预览：0x08000000-0x080068FF，26884字节；Intel HEX，起始地址0x08000000（自动）；校验值字段1个"
    bool complete = false;  // the merge would write an image with every selected file in it
};

// Planned as the memory map plans it (answering its questions so that every
// file shows: an overlap forced, a file past 6 MiB appended); reads the rows'
// files as the plan does and writes nothing.
MergeSummary SummarizeMerge(const Workspace& ws);

}  // namespace torvane
