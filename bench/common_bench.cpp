// CRC-16 throughput over typical block sizes and the cost of one WPA key derivation.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "common/crc16.h"
#include "common/wpa_psk.h"

namespace {

void crc16Throughput(benchmark::State& state) {
    std::vector<uint8_t> data(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 31u + 7u);
    for (auto _ : state) benchmark::DoNotOptimize(setrion::crc16(data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(crc16Throughput)->Arg(64)->Arg(1024)->Arg(1 << 20);

void wpaPskDerivation(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(setrion::deriveWpaPsk("password", "IEEE"));
}
BENCHMARK(wpaPskDerivation)->Unit(benchmark::kMillisecond);

}  // namespace
