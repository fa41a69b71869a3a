#include "formats/srecord.h"

#include <algorithm>
#include <cstring>

#include "formats/hex_record_scanner.h"
#include "formats/read_progress.h"
#include "formats/record_text.h"
#include "platform/format.h"

namespace torvane {
namespace {

// Address bytes of each record type S0..S9; 0 for S4, which is reserved.
constexpr uint32_t kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

bool IsLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

ImageRead Fail(ImageRead& read, ReadFault fault, uint32_t line, uint64_t offset, const std::string& why) {
    read.fault = fault;
    read.line = line;
    read.offset = offset;
    read.reason = Format("line %u: %s", static_cast<unsigned>(line), why.c_str());
    return std::move(read);
}

void AppendRecord(record_text::RecordText& out, int type, uint32_t address, uint32_t addressBytes,
                  const uint8_t* data, size_t count) {
    char* p = out.Room(4 + 2 * (addressBytes + count + 1) + 2);
    *p++ = 'S';
    *p++ = static_cast<char>('0' + type);
    uint32_t sum = 0;
    auto put = [&p, &sum](uint8_t b) {
        std::memcpy(p, record_text::kHexPairs[b].data(), 2);
        p += 2;
        sum += b;
    };
    put(static_cast<uint8_t>(addressBytes + count + 1));
    for (uint32_t i = addressBytes; i-- > 0;) put(static_cast<uint8_t>(address >> (8 * i)));
    sum += record_text::PutHexBytes(p, data, count);
    put(static_cast<uint8_t>(~sum));
    *p++ = '\r';
    *p++ = '\n';
    out.Used(p);
}

// The data record type (1, 2 or 3) the options ask for, or 0 with the reason
// in `problem` when it cannot hold the image's addresses.
int DataRecordType(const SparseImage& image, const WriteOptions& options, std::string& problem) {
    const uint64_t highest = image.empty() ? 0 : image.end() - 1;
    const uint64_t top = std::max<uint64_t>(highest, image.start.value_or(0));
    const int needed = top <= 0xFFFF ? 1 : top <= 0xFFFFFF ? 2 : 3;
    const int type = options.srecType == 0 ? needed : options.srecType;
    if (type < needed || type > 3) {
        problem = type < 1 || type > 3 ? std::string("the S-record type is 1, 2 or 3")
                                       : Format("S%d records cannot hold the address 0x%08llX (S%d or above can)", type,
                                                static_cast<unsigned long long>(top), needed);
        return 0;
    }
    return type;
}

}  // namespace

namespace {

// The line of the first data record before `before` that holds `address`.
// Run only for the reason of a fault, over records already read whole.
uint32_t LineOfDataAt(std::span<const uint8_t> bytes, uint32_t address, uint64_t before, const ReadProgress& progress) {
    using hex_scan::PairAt;
    const uint8_t* text = bytes.data();
    ProgressReports reports(progress);
    uint32_t line = 1;
    for (uint64_t p = 0; p < before;) {
        reports.Passed(p);
        if (IsLineEnd(text[p])) {
            if (text[p] == '\r' && p + 1 < before && text[p + 1] == '\n') ++p;
            ++line;
            ++p;
            continue;
        }
        if (text[p] == 'S' && p + 4 <= before && text[p + 1] >= '1' && text[p + 1] <= '3') {
            const uint32_t type = static_cast<uint32_t>(text[p + 1] - '0');
            const uint32_t count = PairAt(text + p + 2) & 0xFF;
            uint32_t at = 0;
            for (uint32_t i = 0; i <= type && p + 6 + 2 * i <= before; ++i) at = at << 8 | (PairAt(text + p + 4 + 2 * i) & 0xFF);
            const uint32_t data = count - type - 2;  // records read whole hold at least the address and checksum
            if (address >= at && address - at < data) return line;
        }
        while (p < before && !IsLineEnd(text[p])) ++p;
    }
    return line;
}

}  // namespace

ImageRead ReadSRecords(std::span<const uint8_t> bytes, const ReadProgress& progress) {
    using hex_scan::PairAt;
    using hex_scan::kBadPair;
    ImageRead read;
    ProgressReports reports(progress);
    const uint8_t* text = bytes.data();
    const uint64_t n = bytes.size();
    uint64_t p = 0;
    uint32_t line = 1;
    uint64_t dataRecords = 0;
    uint32_t startLine = 0;     // the first start record's line; 0 before it
    bool afterStartTold = false;
    bool repeatTold = false;
    uint8_t record[256];
    for (;;) {
        // Blanks, line ends and empty lines up to the next record.
        bool lineStart = true;
        while (p < n && (IsLineEnd(text[p]) || hex_scan::IsBlank(text[p]))) {
            if (IsLineEnd(text[p])) {
                if (text[p] == '\r' && p + 1 < n && text[p + 1] == '\n') ++p;
                ++line;
                lineStart = true;
            } else {
                lineStart = false;
            }
            ++p;
        }
        if (p >= n) break;
        reports.Passed(p);
        if (text[p] != 'S' || !lineStart)
            return Fail(read, ReadFault::Syntax, line, p, Format("no record starts at byte %llu (a record begins its line with 'S')",
                                                                 static_cast<unsigned long long>(p)));
        const uint64_t at = p;
        if (p + 4 > n) return Fail(read, ReadFault::CutOff, line, at, "the record is cut off by the end of the file");
        const uint8_t typeChar = text[p + 1];
        if (typeChar < '0' || typeChar > '9' || typeChar == '4')
            return Fail(read, ReadFault::BadRecord, line, at, "unknown record type");
        const int type = typeChar - '0';
        const uint16_t countPair = PairAt(text + p + 2);
        if (countPair & kBadPair)
            return Fail(read, ReadFault::BadDigit, line, at, "the record holds a character that is not a hex digit");
        const uint32_t count = countPair;
        const uint32_t addressBytes = kAddressBytes[type];
        if (count < addressBytes + 1)
            return Fail(read, ReadFault::BadRecord, line, at,
                        Format("an S%d record holds at least %u bytes", type, addressBytes + 1));
        const uint64_t recordEnd = p + 4 + 2ull * count;
        if (recordEnd > n) return Fail(read, ReadFault::CutOff, line, at, "the record is cut off by the end of the file");
        uint32_t sum = count;
        for (uint32_t i = 0; i < count; ++i) {
            const uint16_t v = PairAt(text + p + 4 + 2 * i);
            if (v & kBadPair)
                return Fail(read, ReadFault::BadDigit, line, at, "the record holds a character that is not a hex digit");
            record[i] = static_cast<uint8_t>(v);
            sum += v;
        }
        if ((sum & 0xFF) != 0xFF) return Fail(read, ReadFault::BadChecksum, line, at, "the record's checksum does not match");
        uint32_t address = 0;
        for (uint32_t i = 0; i < addressBytes; ++i) address = address << 8 | record[i];
        const uint8_t* data = record + addressBytes;
        const uint32_t dataCount = count - addressBytes - 1;
        if (startLine != 0 && !afterStartTold) {
            // As srec_cat reads them: the records after a start record count.
            afterStartTold = true;
            read.warnings.push_back(Format("line %u: records follow the start record of line %u, and are read",
                                           static_cast<unsigned>(line), static_cast<unsigned>(startLine)));
        }
        switch (type) {
            case 0: read.image.header.assign(reinterpret_cast<const char*>(data), dataCount); break;
            case 1:
            case 2:
            case 3: {
                SparseImage::Clash clash;
                switch (read.image.WriteNew(address, std::span<const uint8_t>(data, dataCount), clash)) {
                    case SparseImage::NewWrite::Written: break;
                    case SparseImage::NewWrite::Repeated:
                        if (!repeatTold) {
                            repeatTold = true;
                            read.warnings.push_back(Format("line %u: the record gives 0x%08X the value it was given before",
                                                           static_cast<unsigned>(line), clash.address));
                        }
                        break;
                    case SparseImage::NewWrite::OutsideSpace:
                        return Fail(read, ReadFault::OutsideSpace, line, at,
                                    Format("the data at 0x%08X runs past the end of the 32-bit address space", address));
                    case SparseImage::NewWrite::OtherValue:
                        return Fail(read, ReadFault::TwoValues, line, at,
                                    Format("0x%08X is given two values, 0x%02X on line %u and 0x%02X on line %u",
                                           clash.address, clash.held,
                                           static_cast<unsigned>(LineOfDataAt(bytes, clash.address, at, progress)), clash.given,
                                           static_cast<unsigned>(line)));
                }
                ++dataRecords;
                break;
            }
            case 5:
            case 6:
                if (dataCount != 0) return Fail(read, ReadFault::BadRecord, line, at, "a count record holds no data");
                if (address != (dataRecords & (type == 5 ? 0xFFFFu : 0xFFFFFFu)))
                    return Fail(read, ReadFault::BadCount, line, at,
                                Format("the count record says %u data records, the file has %llu before it", address,
                                       static_cast<unsigned long long>(dataRecords)));
                break;
            default:
                if (dataCount != 0) return Fail(read, ReadFault::BadRecord, line, at, "a start record holds no data");
                // Writers without a start address write 0 there: 0 is taken
                // as none. The first start record is the one that counts.
                if (startLine == 0) {
                    startLine = line;
                    if (address != 0) read.image.start = address;
                }
                break;
        }
        // The record must be all of its line.
        p = recordEnd;
        while (p < n && hex_scan::IsBlank(text[p])) ++p;
        if (p < n && !IsLineEnd(text[p]))
            return Fail(read, ReadFault::Syntax, line, p, Format("no record starts at byte %llu (a record begins its line with 'S')",
                                                                 static_cast<unsigned long long>(p)));
    }
    if (read.image.empty()) {
        read.fault = ReadFault::NoData;
        read.line = line;
        read.offset = n;
        read.reason = "the file contains no data";
        return read;
    }
    if (startLine == 0) read.warnings.push_back("no start record (S7, S8 or S9): the file gives no start address");
    return read;
}

std::string SRecordsProblem(const SparseImage& image, const WriteOptions& options) {
    std::string problem;
    DataRecordType(image, options, problem);
    return problem;
}

bool WriteSRecords(const SparseImage& image, const WriteOptions& options, const ByteSink& sink, std::string& problem) {
    const int type = DataRecordType(image, options, problem);
    if (type == 0) return false;
    const uint32_t addressBytes = static_cast<uint32_t>(type) + 1;
    // A record holds at most 255 bytes: address, data and checksum.
    const uint32_t recordSize = std::min<uint32_t>(options.recordSize, 255 - addressBytes - 1);
    record_text::RecordText out(sink);
    const std::string header = options.header.substr(0, 255 - 3);
    AppendRecord(out, 0, 0, 2, reinterpret_cast<const uint8_t*>(header.data()), header.size());
    uint64_t records = 0;
    for (const ImageSegment& segment : image.segments()) {
        for (size_t i = 0; i < segment.bytes.size() && out.ok(); i += recordSize) {
            const size_t now = std::min<size_t>(recordSize, segment.bytes.size() - i);
            AppendRecord(out, type, static_cast<uint32_t>(segment.address + i), addressBytes, segment.bytes.data() + i,
                         now);
            ++records;
        }
    }
    if (records <= 0xFFFF) AppendRecord(out, 5, static_cast<uint32_t>(records), 2, nullptr, 0);
    else if (records <= 0xFFFFFF) AppendRecord(out, 6, static_cast<uint32_t>(records), 3, nullptr, 0);
    AppendRecord(out, 10 - type, image.start.value_or(0), addressBytes, nullptr, 0);
    return out.Finish();
}

std::string WriteSRecords(const SparseImage& image, const WriteOptions& options, std::string& problem) {
    const int type = DataRecordType(image, options, problem);
    if (type == 0) return std::string();
    // Room for the whole text at once: each record is "S", its type, the
    // count, the address, the data, the checksum and CR LF.
    const uint32_t addressBytes = static_cast<uint32_t>(type) + 1;
    const uint32_t recordSize = std::min<uint32_t>(options.recordSize, 255 - addressBytes - 1);
    uint64_t dataRecords = 0;
    for (const ImageSegment& segment : image.segments()) dataRecords += (segment.bytes.size() + recordSize - 1) / recordSize;
    std::string out;
    out.reserve(static_cast<size_t>(image.dataSize() * 2 + dataRecords * (8 + 2 * addressBytes) + 3 * 600));
    WriteSRecords(image, options, record_text::AppendTo(out), problem);
    return out;
}

}  // namespace torvane
