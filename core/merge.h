#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/integrity_fields.h"
#include "core/merge_layout.h"
#include "formats/image_formats.h"

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

enum class FieldAddresses;

// The image's first address in the addresses of the merge's fields, where it
// is known before the files are read: 0 for fields in image offsets (a
// project saved before fields took the map's addresses) and for a BIN output
// without a base, the base when one is given. Nothing for a HEX or S-record
// output whose base the files choose.
std::optional<uint32_t> KnownFieldOrigin(FieldAddresses addresses, const std::string& baseText, ImageFormat output);

// Whether a merge's fields, in these addresses, are positions in its image
// rather than addresses of it: image offsets, or the map's addresses of an
// image whose first address is 0 (a BIN without a base). A check of the
// written image takes such fields from its lowest address.
bool MergeFieldsArePositions(FieldAddresses addresses, const std::string& baseText, ImageFormat output);

// Why the merge would refuse these fields, as far as can be told before the
// files are read: the rules between them, and their place in the 6 MiB image
// where its first address is known (where the files choose the base, a field
// must fit an image at 0 or at 0x08000000). Words ("end") wait for the image.
std::optional<std::string> MergeFieldsProblem(std::span<const FieldSpec> fields, FieldAddresses addresses,
                                              const std::string& baseText, ImageFormat output);

// The rule of the fields' addresses for these settings, as the merge
// settings state it under the field editor.
std::string FieldAddressRule(FieldAddresses addresses, const std::string& baseText, ImageFormat output);

// The output's format follows its name: ".hex"/".ihx" Intel HEX, an S-record
// ending S-records (formats/image_formats.h), anything else BIN. In records
// each byte's address is its image offset plus the base: Workspace::
// MergeBaseText, or when that is empty kFlashBase if every converted file's
// lowest address is at or above it (the image's own mapping), else 0.
// The fields are in the addresses the map shows (that base plus the image
// offset; a BIN without a base has offsets), or in image offsets for a
// project saved before (Workspace::MergeFieldAddresses). Their words are
// resolved against the image of the files, and they are checked, before
// anything is written.

}  // namespace torvane
