#pragma once

#include <cstdint>

#include "core/merge_layout.h"

namespace torvane {

class Workspace;

inline constexpr const char* kChooseOutputMessage = "请选择输出文件！";
inline constexpr const char* kSelectTwoFilesMessage = "请选择至少两个目标文件！";
inline constexpr const char* kMergeDoneMessage = "合并成功!";
inline constexpr const char* kMergeWriteFailedMessage = "合并文件写入失败！";
inline constexpr const char* kMergeQuestionCaption = "提示";
// Fields that cannot be written (overlapping, inside their own range, outside the image).
inline constexpr const char* kMergeFieldsRefusedMessage = "校验值字段设置有误，合并已取消！";
// A selected file is not in the image: asked before the image is written
// (Yes writes it, No, the default, writes nothing and keeps the old output).
inline constexpr const char* kMergeIncompleteQuestionFormat =
    "以下文件未能合并：%s\r\n合并后的文件将缺少这些文件的数据，详细原因请查看操作记录。\r\n仍然写入不完整的合并文件吗？";
// The image was written, as asked, but a selected file is not in it.
inline constexpr const char* kMergeIncompleteFormat =
    "合并文件已写入，但以下文件未能合并：%s\r\n合并后的文件缺少这些文件的数据，详细原因请查看操作记录。";

// "合并BIN文件": places every selected file at its BINOffset in one image (HEX
// files are converted first), fills the gaps and writes the image to the
// output-file text's path. Asks through the workspace's Prompts when a file
// overlaps the one before it or would pass 6 MiB. True when the file was written
// with every selected file in it. When a file was left out (a HEX file that
// could not be converted, a file changed since it was chosen, HEX text under a
// BIN name) it asks whether to write the image without it: No, the default,
// writes nothing, so an older output stays whole; Yes writes it and ends with
// a warning naming the rows left out instead of "合并成功!". False either way.
bool MergeBatch(Workspace& ws);

// The output's format follows its name: ".hex"/".ihx" Intel HEX, an S-record
// ending S-records (formats/image_formats.h), anything else BIN. In records
// each byte's address is its image offset plus the base: Workspace::
// MergeBaseText, or when that is empty kFlashBase if every converted file's
// lowest address is at or above it (the image's own mapping), else 0.

}  // namespace torvane
