// Reading and writing the Wi-Fi module's settings over the printer link, against the
// simulator's module in-process on a manual clock: the host-side cost of a full read (all
// 14 steps) and a full write (13 parameters and the store), the bytes each exchanges, and
// the link time the module's pauses and polls would take on a real port (module_ms).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/simulated_module_link.h"
#include "wifi/module/command_mode_read.h"
#include "wifi/module/command_mode_write.h"
#include "wifi/module/module_connection.h"
#include "wifi/module/settings_block_exchange.h"

namespace {

using namespace setrion;
using namespace setrion::wifi;

// Frames the host sends per operation.
constexpr uint64_t kReadFrames = 14;   // 13 parameter reads and the module information
constexpr uint64_t kWriteFrames = 15;  // unlock, 13 parameter writes, store
constexpr uint64_t kBlockFrames = 1;

// A passphrase of exactly 32 characters makes the read take the extended-key step too.
const std::string kPassphrase32 = "bench-passphrase-0123456789abcde";
// Over 32 characters: the write sends both key halves.
const std::string kPassphrase40 = "bench-passphrase-0123456789abcdefghijklm";

struct ModuleBench {
    ManualClock clock;
    bench::SimulatedModuleLink link;
    LinkPair links{&link, nullptr, LinkKind::None};
    ModuleConnection conn{links, clock};

    explicit ModuleBench(std::vector<std::string> simArgs) : link(clock, std::move(simArgs)) {}

    // Empty on success, else why the set-up failed.
    std::string open() {
        if (!link.error().empty()) return "simulator options: " + link.error();
        auto opened = conn.openPort(LinkKind::Serial, [this](LinkKind) {
            link.reopen();
            return true;
        });
        return opened == OpenPortResult::Ok ? std::string() : std::string("module did not open");
    }
};

// The save input a dialog would hold after a read, switched to WPA2-PSK with `passphrase`.
CommandModeWriteInput wpaInput(const CommandModeSettings& read, const std::string& passphrase) {
    CommandModeWriteInput in;
    in.ip = {192, 168, 7, 20};
    in.netmask = {255, 255, 255, 0};
    in.gateway = {192, 168, 7, 1};
    in.dns = {192, 168, 7, 1};
    in.ssid = "BenchOffice";
    in.mode = 1;
    in.channelSelection = 10;
    in.encryption = 3;         // WPA
    in.authentication = 1;
    in.wpaAuthentication = 2;  // WPA2-PSK
    in.wpaEncryption = 2;      // AES
    for (size_t i = 0; i < 4; ++i) in.keyTexts[i] = read.wep40.hex[i];
    in.keyFormats = {KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex};
    in.wpaKey = passphrase;
    in.tcpPort = 9100;
    in.dhcp = true;
    return in;
}

// A command-mode module of generation 3 holding a 32-character passphrase; `read` is the
// last read of it. Empty on success.
std::string prepareCommandModule(ModuleBench& b, CommandModeSettings& read) {
    if (auto why = b.open(); !why.empty()) return why;
    if (!readCommandModeSettings(b.conn, read).ok) return "first read failed";
    if (!writeCommandModeSettings(b.conn, wpaInput(read, kPassphrase32), read).ok)
        return "preparing write failed";
    if (!readCommandModeSettings(b.conn, read).ok) return "read after the write failed";
    if (read.passphrase != kPassphrase32 || read.encryptionCapability != 2)
        return "module does not hold the prepared settings";
    return {};
}

struct Exchange {
    uint64_t sent = 0, received = 0, frames = 0, moduleMs = 0;
    static Exchange of(ModuleBench& b) {
        return {b.link.bytesSent(), b.link.bytesReceived(), b.link.writes(), b.clock.nowMs()};
    }
};

// Per-operation counters from the totals between `start` and now; false (and the
// benchmark marked failed) when an operation sent other than `framesPerOp` frames.
bool report(benchmark::State& state, ModuleBench& b, const Exchange& start,
            uint64_t framesPerOp) {
    const Exchange end = Exchange::of(b);
    const auto ops = static_cast<uint64_t>(state.iterations());
    if (ops == 0) return true;
    if (end.frames - start.frames != framesPerOp * ops) {
        state.SkipWithError("unexpected number of frames per operation");
        return false;
    }
    const auto perOp = benchmark::Counter::kAvgIterations;
    state.counters["sent_bytes"] = benchmark::Counter(static_cast<double>(end.sent - start.sent), perOp);
    state.counters["received_bytes"] =
        benchmark::Counter(static_cast<double>(end.received - start.received), perOp);
    state.counters["module_ms"] =
        benchmark::Counter(static_cast<double>(end.moduleMs - start.moduleMs), perOp);
    state.SetBytesProcessed(static_cast<int64_t>(end.sent - start.sent + end.received - start.received));
    return true;
}

void BM_WifiCommandModeRead(benchmark::State& state) {
    ModuleBench b({"--module", "command", "--generation", "3"});
    CommandModeSettings read;
    if (auto why = prepareCommandModule(b, read); !why.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    const Exchange start = Exchange::of(b);
    for (auto _ : state) {
        CommandModeSettings values;
        SequenceResult r = readCommandModeSettings(b.conn, values);
        if (!r.ok || values.passphrase != kPassphrase32) {
            state.SkipWithError(("read failed: " + r.message).c_str());
            return;
        }
        benchmark::DoNotOptimize(values.macText.data());
    }
    report(state, b, start, kReadFrames);
}
BENCHMARK(BM_WifiCommandModeRead)->Unit(benchmark::kMicrosecond);

void BM_WifiCommandModeWrite(benchmark::State& state) {
    ModuleBench b({"--module", "command", "--generation", "3"});
    CommandModeSettings read;
    if (auto why = prepareCommandModule(b, read); !why.empty()) {
        state.SkipWithError(why.c_str());
        return;
    }
    const CommandModeWriteInput in = wpaInput(read, kPassphrase40);
    const Exchange start = Exchange::of(b);
    for (auto _ : state) {
        SequenceResult r = writeCommandModeSettings(b.conn, in, read);
        if (!r.ok) {
            state.SkipWithError(("write failed: " + r.message).c_str());
            return;
        }
    }
    if (!report(state, b, start, kWriteFrames)) return;
    // Every write ended with the module storing what it got.
    CommandModeSettings check;
    if (!readCommandModeSettings(b.conn, check).ok || check.passphrase != kPassphrase40)
        state.SkipWithError("the module does not hold the written settings");
}
BENCHMARK(BM_WifiCommandModeWrite)->Unit(benchmark::kMicrosecond);

void BM_WifiSettingsBlockRead(benchmark::State& state) {
    ModuleBench b({"--module", "block"});
    if (auto why = b.open(); !why.empty() || b.conn.moduleKind() != ModuleKind::SettingsBlock) {
        state.SkipWithError("settings-block module did not open");
        return;
    }
    const Exchange start = Exchange::of(b);
    for (auto _ : state) {
        WifiSettings record;
        SequenceResult r = readSettingsBlock(b.conn, record);
        if (!r.ok) {
            state.SkipWithError(("read failed: " + r.message).c_str());
            return;
        }
        benchmark::DoNotOptimize(record.bytes().data());
    }
    report(state, b, start, kBlockFrames);
}
BENCHMARK(BM_WifiSettingsBlockRead)->Unit(benchmark::kMicrosecond);

void BM_WifiSettingsBlockWrite(benchmark::State& state) {
    ModuleBench b({"--module", "block"});
    WifiSettings record;
    if (auto why = b.open(); !why.empty() || !readSettingsBlock(b.conn, record).ok) {
        state.SkipWithError("settings-block module did not open");
        return;
    }
    record.setText(field::kSsid, "BenchLab");
    const WifiSettings toWrite = record;
    const Exchange start = Exchange::of(b);
    for (auto _ : state) {
        WifiSettings working = toWrite;
        SequenceResult r = writeSettingsBlock(b.conn, working);
        if (!r.ok || working.text(field::kSsid) != "BenchLab") {
            state.SkipWithError(("write failed: " + r.message).c_str());
            return;
        }
    }
    report(state, b, start, kBlockFrames);
}
BENCHMARK(BM_WifiSettingsBlockWrite)->Unit(benchmark::kMicrosecond);

}  // namespace
