#include "formats/sparse_image.h"

#include <algorithm>
#include <cstring>

namespace torvane {

uint64_t SparseImage::dataSize() const {
    uint64_t total = 0;
    for (const ImageSegment& s : segments_) total += s.bytes.size();
    return total;
}

std::vector<PlacedBytes> SparseImage::places() const {
    std::vector<PlacedBytes> places;
    places.reserve(segments_.size());
    for (const ImageSegment& s : segments_) places.push_back({s.address, s.bytes});
    return places;
}

bool SparseImage::Write(uint32_t address, std::span<const uint8_t> bytes) {
    const uint64_t end = address + static_cast<uint64_t>(bytes.size());
    if (end > kAddressSpaceEnd) return false;
    if (bytes.empty()) return true;
    // The readers write in address order: the next bytes extend the last
    // segment, or start one after it.
    if (segments_.empty() || address > segments_.back().end()) {
        segments_.push_back(ImageSegment{address, std::vector<uint8_t>(bytes.begin(), bytes.end())});
        return true;
    }
    if (address == segments_.back().end()) {
        std::vector<uint8_t>& last = segments_.back().bytes;
        last.insert(last.end(), bytes.begin(), bytes.end());
        return true;
    }
    // Anywhere else: the segments that touch [address, end) join the new bytes.
    auto first = std::lower_bound(segments_.begin(), segments_.end(), address,
                                  [](const ImageSegment& s, uint32_t a) { return s.end() < a; });
    auto last = first;
    while (last != segments_.end() && last->address <= end) ++last;
    if (first == last) {
        segments_.insert(first, ImageSegment{address, std::vector<uint8_t>(bytes.begin(), bytes.end())});
        return true;
    }
    const uint32_t from = std::min<uint32_t>(address, first->address);
    const uint64_t to = std::max<uint64_t>(end, std::prev(last)->end());
    ImageSegment joined{from, std::vector<uint8_t>(static_cast<size_t>(to - from))};
    for (auto it = first; it != last; ++it)
        std::memcpy(joined.bytes.data() + (it->address - from), it->bytes.data(), it->bytes.size());
    std::memcpy(joined.bytes.data() + (address - from), bytes.data(), bytes.size());
    *first = std::move(joined);
    segments_.erase(std::next(first), last);
    return true;
}

SparseImage::NewWrite SparseImage::WriteNew(uint32_t address, std::span<const uint8_t> bytes, Clash& clash) {
    const uint64_t end = address + static_cast<uint64_t>(bytes.size());
    if (end > kAddressSpaceEnd) return NewWrite::OutsideSpace;
    if (bytes.empty()) return NewWrite::Written;
    NewWrite outcome = NewWrite::Written;
    if (!segments_.empty() && address < segments_.back().end()) {
        // Out of order: compare with every segment the bytes overlap.
        auto it = std::upper_bound(segments_.begin(), segments_.end(), address,
                                   [](uint32_t a, const ImageSegment& s) { return a < s.end(); });
        for (; it != segments_.end() && it->address < end; ++it) {
            const uint64_t from = std::max<uint64_t>(address, it->address);
            const uint64_t until = std::min<uint64_t>(end, it->end());
            for (uint64_t a = from; a < until; ++a) {
                const uint8_t held = it->bytes[static_cast<size_t>(a - it->address)];
                const uint8_t given = bytes[static_cast<size_t>(a - address)];
                if (held == given && outcome == NewWrite::Repeated) continue;
                clash = Clash{static_cast<uint32_t>(a), held, given};
                if (held != given) return NewWrite::OtherValue;
                outcome = NewWrite::Repeated;
            }
        }
    }
    Write(address, bytes);
    return outcome;
}

void SparseImage::ReadInto(uint32_t address, std::span<uint8_t> out, uint8_t fill) const {
    if (out.empty()) return;  // an empty span may hold no pointer
    std::memset(out.data(), fill, out.size());
    const uint64_t to = address + static_cast<uint64_t>(out.size());
    auto it = std::upper_bound(segments_.begin(), segments_.end(), address,
                               [](uint32_t a, const ImageSegment& s) { return a < s.end(); });
    for (; it != segments_.end() && it->address < to; ++it) {
        const uint64_t from = std::max<uint64_t>(address, it->address);
        const uint64_t until = std::min<uint64_t>(to, it->end());
        std::memcpy(out.data() + (from - address), it->bytes.data() + (from - it->address),
                    static_cast<size_t>(until - from));
    }
}

std::vector<uint8_t> SparseImage::Read(uint32_t address, uint64_t length, uint8_t fill) const {
    std::vector<uint8_t> out(static_cast<size_t>(length));
    ReadInto(address, out, fill);
    return out;
}

void SparseImage::FillRange(uint32_t from, uint64_t to, uint8_t fill) {
    to = std::min(to, kAddressSpaceEnd);
    if (to <= from) return;
    std::vector<uint8_t> bytes = Read(from, to - from, fill);
    Write(from, bytes);
}

void SparseImage::Crop(uint32_t from, uint64_t to) {
    std::vector<ImageSegment> kept;
    for (ImageSegment& s : segments_) {
        const uint64_t a = std::max<uint64_t>(from, s.address);
        const uint64_t b = std::min<uint64_t>(to, s.end());
        if (a >= b) continue;
        if (a == s.address && b == s.end()) {
            kept.push_back(std::move(s));
            continue;
        }
        const auto begin = s.bytes.begin() + static_cast<std::ptrdiff_t>(a - s.address);
        kept.push_back(ImageSegment{static_cast<uint32_t>(a),
                                    std::vector<uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(b - a))});
    }
    segments_ = std::move(kept);
}

bool SparseImage::HasDataIn(uint32_t from, uint64_t to) const {
    auto it = std::upper_bound(segments_.begin(), segments_.end(), from,
                               [](uint32_t a, const ImageSegment& s) { return a < s.end(); });
    return it != segments_.end() && it->address < to;
}

}  // namespace torvane
