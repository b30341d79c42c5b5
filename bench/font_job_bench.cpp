// Building the font download job for a 20 MB TrueType file: throughput of the text
// encoding and the peak memory it needs beside the font bytes.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fonts/font_job.h"

namespace {

// Peak resident set size in bytes (VmHWM), or 0 where /proc is not available.
size_t peakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            size_t kb = 0;
            status >> kb;
            return kb * 1024;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// Resets the peak to the current resident size; false where the kernel refuses.
bool resetPeakResident() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

size_t currentResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            size_t kb = 0;
            status >> kb;
            return kb * 1024;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

void BM_BuildFontJob20MB(benchmark::State& state) {
    const size_t size = 20u * 1024u * 1024u;
    std::vector<uint8_t> ttf(size);
    std::mt19937 rng(7);
    for (auto& b : ttf) b = static_cast<uint8_t>(rng());
    const size_t jobLength = setrion::fonts::fontJobLength(size, 100);

    size_t peakExtra = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bool reset = resetPeakResident();
        size_t before = currentResidentBytes();
        state.ResumeTiming();
        std::string job =
            setrion::fonts::buildFontJob(ttf, "BenchFont.ttf", 100, setrion::fonts::TargetMemory::Ram);
        benchmark::DoNotOptimize(job.data());
        state.PauseTiming();
        size_t peak = peakResidentBytes();
        if (reset && peak > before) peakExtra = std::max(peakExtra, peak - before);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    state.counters["job_bytes"] = static_cast<double>(jobLength);
    // Memory the build needed beyond what the process held before it (the font bytes are
    // already resident), as bytes and as a multiple of the job size; 0 when unmeasurable.
    state.counters["peak_extra_bytes"] = static_cast<double>(peakExtra);
    state.counters["peak_over_job"] =
        static_cast<double>(peakExtra + size) / static_cast<double>(jobLength);
}
BENCHMARK(BM_BuildFontJob20MB)->Unit(benchmark::kMillisecond);

}  // namespace
