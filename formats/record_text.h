#pragma once

// The text a record writer makes, gathered into pieces for its sink. Shared by
// the Intel HEX and S-record writers; not part of the formats' interface.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/piece_buffer.h"

namespace torvane::record_text {

class RecordText {
public:
    // The longest record either writer makes: S3 with 255 bytes is 4 + 2 * 255
    // + 2 characters, Intel HEX with 255 data bytes 11 + 2 * 255 + 2.
    static constexpr size_t kLongestRecord = 1024;
    // A piece is handed on once it holds this much: as large as the pieces a
    // file write gathers, so it goes to the file without another copy.
    static constexpr size_t kPiece = PieceBuffer::kPieceBufferSize;

    explicit RecordText(const ByteSink& sink) : sink_(sink), buffer_(new char[kPiece + kLongestRecord]) {}

    // Where the next record of at most `size` (up to kLongestRecord)
    // characters goes; Used then says how many it took.
    char* Room(size_t size) {
        if (used_ + size > kPiece + kLongestRecord) Hand();
        return buffer_.get() + used_;
    }
    void Used(char* end) { used_ = static_cast<size_t>(end - buffer_.get()); }

    // False once the sink refused a piece: the writer stops, and what it
    // still puts here goes nowhere.
    bool ok() const { return ok_; }

    // Hands on what is left; true when the sink took every piece.
    bool Finish() {
        Hand();
        return ok_;
    }

private:
    void Hand() {
        if (ok_ && used_ > 0) ok_ = sink_(buffer_.get(), used_);
        used_ = 0;
    }

    const ByteSink& sink_;
    std::unique_ptr<char[]> buffer_;  // not cleared: only what is written is handed on
    size_t used_ = 0;
    bool ok_ = true;
};

// A sink that appends to a string, for the writers' whole-text forms.
inline ByteSink AppendTo(std::string& text) {
    return [&text](const void* data, size_t size) {
        text.append(static_cast<const char*>(data), size);
        return true;
    };
}

}  // namespace torvane::record_text
