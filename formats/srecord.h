#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "formats/image_formats.h"
#include "platform/files.h"

namespace torvane {

// Reads Motorola S-records: S0 (its text kept as the image's header), S1/S2/S3
// data, S5/S6 counts (checked against all the data records before them),
// S7/S8/S9 start (an address of 0, which writers without a start address put
// there, counts as none; the first one counts). Records after a start record
// are read, with a warning, as srec_cat reads them (two files joined by cat);
// a file without a start record, which srec_cat writes for an image without a
// start address, is read with a warning. Line ends CR LF, LF or CR, blanks
// before a line end and empty lines allowed; every checksum is checked. An
// address given two values, or a file without data, is a fault.
// `progress` is told how far the reading has come (ReadProgress).
ImageRead ReadSRecords(std::span<const uint8_t> text, const ReadProgress& progress = {});

// Writes the image as S-records with CR LF line ends: S0 with options.header,
// S1, S2 or S3 data records (options.srecType, or the smallest that holds the
// highest address), an S5 or S6 count, and the matching start record (the
// image's start address, else 0). The text goes to `sink` in pieces of about
// 1 MiB. False when the options cannot hold the image (the reason in
// `problem`, nothing handed to the sink) or the sink refused a piece.
bool WriteSRecords(const SparseImage& image, const WriteOptions& options, const ByteSink& sink, std::string& problem);
// The same text, whole; empty with the reason in `problem` when the options
// cannot hold the image.
std::string WriteSRecords(const SparseImage& image, const WriteOptions& options, std::string& problem);
// Why the options cannot hold the image, or empty when they can.
std::string SRecordsProblem(const SparseImage& image, const WriteOptions& options);

}  // namespace torvane
