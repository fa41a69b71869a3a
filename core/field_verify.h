#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/integrity_fields.h"
#include "formats/sparse_image.h"

namespace torvane {

// Integrity fields checked in an image that should already hold them: what a
// production line runs on a file before it is flashed, and on what a device
// gives back.

// One field: the bytes the image holds where the field is, against the value
// computed over its range of the image as it stands.
struct FieldCheck {
    FieldSpec field;
    // The field's bytes in the image; nothing when the image lacks one of them.
    std::optional<std::vector<uint8_t>> stored;
    std::string storedText;  // the stored value written as the computed one is; empty when nothing is stored
    WrittenField computed;   // the value the range gives, as a stamp would write it
    bool matches() const { return stored && *stored == computed.bytes; }
};

// Checks each field over the image as it stands (bytes of a range the image
// lacks count as `fill`, as the stamp counts them). In a sequence the stamp
// accepts, a field lies inside no earlier field's range, so the image as it
// stands gives every field the bytes it was computed over. The fields must
// have passed FieldsProblem.
std::vector<FieldCheck> VerifyFields(const SparseImage& image, uint8_t fill, std::span<const FieldSpec> fields);

// The fields of an image they were written into, in its own addresses, every
// word resolved as the merge or the stamp resolved it
// (ResolveFieldsInWrittenImage). `fromLowest`: the fields are positions in
// the image, whose first byte it holds at its lowest address (a merge's
// fields in image offsets, or of a BIN written without a base); otherwise
// they are the image's own addresses (the stamp's, or a merge's into HEX or
// S-records, which are those its map shows). Nothing, with the reason, when
// they name no address of the image.
std::optional<std::vector<FieldSpec>> FieldsOfImage(std::span<const FieldSpec> fields, bool fromLowest,
                                                    const SparseImage& image, std::string* why = nullptr);

// The fields moved by `offset`: a project's merge fields are positions in
// the merged image, whose first byte a file holds at its lowest address.
// Nothing, with the reason, when one would pass the end of the 32-bit space.
std::optional<std::vector<FieldSpec>> FieldsFrom(std::span<const FieldSpec> fields, uint32_t offset,
                                                 std::string* why = nullptr);

}  // namespace torvane
