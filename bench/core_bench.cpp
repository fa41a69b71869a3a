// In-process benchmarks of the hot paths. Inputs are made here.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/align.h"
#include "core/decode_hex.h"
#include "core/merge.h"
#include "core/workspace.h"
#include "platform/files.h"
#include "platform/prompts.h"

namespace {

using namespace torvane;

// A HEX text for `length` bytes from address 0x08000000 in records of `perRecord`
// bytes, with CR LF line ends or LF alone.
std::string MakeHexText(uint32_t length, uint32_t perRecord, bool lf = false) {
    std::string text;
    char buf[600];
    auto record = [&](uint8_t type, uint16_t address, const uint8_t* data, uint32_t n) {
        uint32_t sum = n + (address >> 8) + (address & 0xFF) + type;
        int pos = std::snprintf(buf, sizeof buf, ":%02X%04X%02X", n, address, type);
        for (uint32_t i = 0; i < n; ++i) {
            pos += std::snprintf(buf + pos, sizeof buf - pos, "%02X", data[i]);
            sum += data[i];
        }
        std::snprintf(buf + pos, sizeof buf - pos, lf ? "%02X\n" : "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += buf;
    };
    std::vector<uint8_t> data(perRecord);
    uint32_t upper = 0xFFFFFFFF;
    for (uint32_t i = 0; i < length; i += perRecord) {
        const uint32_t address = 0x08000000 + i;
        if ((address >> 16) != upper) {
            upper = address >> 16;
            const uint8_t ela[2] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
            record(0x04, 0, ela, 2);
        }
        for (uint32_t j = 0; j < perRecord; ++j) data[j] = static_cast<uint8_t>((i + j) * 31 + 7);
        record(0x00, static_cast<uint16_t>(address), data.data(), perRecord);
    }
    text += ":00000001FF\r\n";
    return text;
}

void BM_DecodeHex(benchmark::State& state) {
    const uint32_t perRecord = static_cast<uint32_t>(state.range(0));
    // About 2 MiB of text.
    const uint32_t length = perRecord == 16 ? 0xB8000 : 0xC8000;
    const std::string text = MakeHexText(length, perRecord, state.range(1) != 0);
    HexImage image;
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    for (auto _ : state) {
        const HexDecodeResult r = DecodeHex(bytes, image);
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["text_bytes"] = static_cast<double>(text.size());
}
// Record size, then 1 for LF line ends.
BENCHMARK(BM_DecodeHex)->Args({16, 0})->Args({32, 0})->Args({16, 1})->Args({32, 1});

struct BenchFolder {
    BenchFolder() {
        path = (std::filesystem::temp_directory_path() / "torvane-bench").string();
        std::filesystem::create_directories(path);
    }
    ~BenchFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

void BM_MergeSixFiles(benchmark::State& state) {
    BenchFolder dir;
    SilentPrompts prompts;
    Workspace ws(prompts);
    ws.SelectMode(WorkMode::MergeMode);
    ws.OutputFileText = dir.path + "/merged.bin";
    const std::vector<uint8_t> mib(0x100000, 0x5A);
    for (int row = 0; row < kRowCount; ++row) {
        const std::string p = dir.path + "/part" + std::to_string(row) + ".bin";
        WriteWholeFile(p, mib.data(), mib.size());
        ws.rows().LoadChosenFile(row, p);
        ws.rows().Controls(row).BinOffsetText = std::to_string(row * 100000);  // hex: gaps between files
    }
    for (auto _ : state) {
        ws.log().Clear();
        benchmark::DoNotOptimize(MergeBatch(ws));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 6 * 0x100000);
}
BENCHMARK(BM_MergeSixFiles)->Unit(benchmark::kMillisecond);

void BM_AlignFile(benchmark::State& state) {
    BenchFolder dir;
    SilentPrompts prompts;
    Workspace ws(prompts);
    const std::string p = dir.path + "/pad.bin";
    const std::vector<uint8_t> data(0x100001, 0x11);
    for (auto _ : state) {
        state.PauseTiming();
        WriteWholeFile(p, data.data(), data.size());
        ws.rows().ClearEntry(0);
        ws.rows().LoadChosenFile(0, p);
        ws.rows().Controls(0).PolishTypeIndex = 3;
        state.ResumeTiming();
        benchmark::DoNotOptimize(AlignBatch(ws));
    }
}
BENCHMARK(BM_AlignFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
