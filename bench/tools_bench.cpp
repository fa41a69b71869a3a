// Benchmarks of the tools' hot paths. Inputs are made here.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tools/bin2c/bin_to_c_array.h"
#include "tools/checksum/check_value.h"

namespace {

using namespace torvane;

std::vector<uint8_t> Bytes(size_t n) {
    std::vector<uint8_t> v(n);
    uint32_t x = 12345;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return v;
}

void BM_CheckValue(benchmark::State& state) {
    const auto method = static_cast<ChecksumMethod>(state.range(0));
    const std::vector<uint8_t> data = Bytes(static_cast<size_t>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(ComputeCheckValue(method, data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(1));
}
BENCHMARK(BM_CheckValue)
    ->ArgNames({"method", "bytes"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1 << 20, 8 << 20}})
    ->Unit(benchmark::kMicrosecond);

void BM_BinToCArray(benchmark::State& state) {
    const std::vector<uint8_t> data = Bytes(1 << 20);
    size_t out = 0;
    for (auto _ : state) {
        const std::string text = BinToCArray(data);
        out = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    // Bytes of C text written.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(out));
}
BENCHMARK(BM_BinToCArray)->Unit(benchmark::kMicrosecond);

void BM_ParseHexData(benchmark::State& state) {
    std::string text;
    const std::vector<uint8_t> data = Bytes(1 << 20);
    static constexpr char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
        if (i % 16 == 15) text += ' ';
    }
    for (auto _ : state) benchmark::DoNotOptimize(ParseHexData(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseHexData)->Unit(benchmark::kMicrosecond);

}  // namespace
