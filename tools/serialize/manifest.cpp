#include "tools/serialize/manifest.h"

#include <algorithm>

#include "platform/format.h"
#include "tools/serialize/serial_number.h"

namespace torvane {
namespace {

bool NeedsQuotes(const std::string& cell) {
    if (cell.empty()) return false;
    if (cell.front() == ' ' || cell.back() == ' ' || cell.front() == '\t' || cell.back() == '\t') return true;
    return cell.find_first_of(",\"\r\n") != std::string::npos;
}

bool Refuse(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return false;
}

// Splits the text into lines of cells. A line break inside quotes belongs to
// the cell. `cutAt` is set when the text does not end with a line break.
struct CsvRow {
    std::vector<std::string> cells;
    uint32_t line = 0;  // where the row starts
    uint64_t offset = 0;
};

bool SplitCsv(std::string_view text, std::vector<CsvRow>& rows, std::optional<uint64_t>& cutAt, std::string* why) {
    uint32_t line = 1;
    size_t i = 0;
    while (i < text.size()) {
        CsvRow row;
        row.line = line;
        row.offset = i;
        std::string cell;
        bool ended = false;
        while (i < text.size() && !ended) {
            const char c = text[i];
            if (c == '"' && cell.empty()) {
                // A quoted cell: up to the quote that is not doubled.
                ++i;
                bool closed = false;
                while (i < text.size()) {
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            cell += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (text[i] == '\n') ++line;
                    cell += text[i++];
                }
                if (!closed) break;  // the file ends inside the quotes
                if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n')
                    return Refuse(why, Format("line %u: text after a quoted cell", row.line));
                continue;
            }
            if (c == ',') {
                row.cells.push_back(std::move(cell));
                cell.clear();
                ++i;
                continue;
            }
            const bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            if (c == '\n' || crlf) {
                i += crlf ? 2 : 1;
                ++line;
                ended = true;
                break;
            }
            cell += c;
            ++i;
        }
        row.cells.push_back(std::move(cell));
        if (!ended) {
            // Only the last line may be cut: a quote left open over several
            // lines is a damaged file, not an append that stopped.
            if (text.find('\n', row.offset) != std::string_view::npos)
                return Refuse(why, Format("line %u opens a quote that no line closes", row.line));
            cutAt = row.offset;
            return true;
        }
        // A blank line holds no record.
        if (row.cells.size() == 1 && row.cells[0].empty()) continue;
        rows.push_back(std::move(row));
    }
    return true;
}

bool IsDecimal(const std::string& text) {
    return !text.empty() && text.size() <= 20 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::vector<std::string> ManifestHeader(std::span<const FieldSpec> fields) {
    std::vector<std::string> header = {kManifestSerialColumn, kManifestMacColumn, "file", "size"};
    for (const FieldSpec& f : fields) header.push_back(FieldSpecText(f));
    header.push_back("sha256");
    return header;
}

std::vector<std::string> ManifestCells(const ManifestEntry& e) {
    std::vector<std::string> cells = {Format("%llu", static_cast<unsigned long long>(e.serial)),
                                      e.mac ? MacText(*e.mac) : std::string(), e.file,
                                      Format("%llu", static_cast<unsigned long long>(e.size))};
    cells.insert(cells.end(), e.values.begin(), e.values.end());
    cells.push_back(e.sha256);
    return cells;
}

std::string CsvLine(std::span<const std::string> cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += ',';
        const std::string& cell = cells[i];
        if (!NeedsQuotes(cell)) {
            line += cell;
            continue;
        }
        line += '"';
        for (const char c : cell) {
            if (c == '"') line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

std::optional<ManifestContent> ParseManifest(std::span<const uint8_t> bytes, std::string* why) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t bom = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") bom = 3;
    ManifestContent content;
    std::vector<CsvRow> rows;
    std::optional<uint64_t> cut;
    if (!SplitCsv(text.substr(bom), rows, cut, why)) return std::nullopt;
    if (cut) content.cutAt = *cut + bom;
    if (rows.empty()) {
        // Nothing whole but a cut header: the file is as good as new.
        return content;
    }
    content.header = rows.front().cells;
    const auto column = [&](const char* name) -> std::optional<size_t> {
        const auto it = std::find(content.header.begin(), content.header.end(), name);
        if (it == content.header.end()) return std::nullopt;
        return static_cast<size_t>(it - content.header.begin());
    };
    const std::optional<size_t> serialColumn = column(kManifestSerialColumn);
    const std::optional<size_t> macColumn = column(kManifestMacColumn);
    if (!serialColumn || !macColumn) {
        Refuse(why, "its first line is no header with the columns serial and mac");
        return std::nullopt;
    }
    for (size_t r = 1; r < rows.size(); ++r) {
        const CsvRow& row = rows[r];
        if (row.cells.size() != content.header.size()) {
            Refuse(why,
                   Format("line %u has %zu cells, the header %zu", row.line, row.cells.size(), content.header.size()));
            return std::nullopt;
        }
        ManifestRecord record;
        record.line = row.line;
        const std::string& serial = row.cells[*serialColumn];
        const std::optional<uint64_t> number = IsDecimal(serial) ? ParseSerialNumber(serial) : std::nullopt;
        if (!number) {
            Refuse(why, Format("line %u: the serial '%s' is no decimal number", row.line, serial.c_str()));
            return std::nullopt;
        }
        record.serial = *number;
        const std::string& mac = row.cells[*macColumn];
        if (!mac.empty()) {
            record.mac = ParseMac(mac);
            if (!record.mac) {
                Refuse(why, Format("line %u: the mac '%s' is no MAC address", row.line, mac.c_str()));
                return std::nullopt;
            }
        }
        content.records.push_back(record);
    }
    return content;
}

}  // namespace torvane
