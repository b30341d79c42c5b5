#include "common/trace.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace setrion {
namespace {

std::atomic<int> g_enabled{-1};  // -1: not yet read from the environment
std::atomic<bool> g_secretsShown{false};
std::mutex g_mutex;
TraceSink g_sink;

}  // namespace

bool traceEnabled() {
    int v = g_enabled.load();
    if (v < 0) {
        const char* env = std::getenv("SETRION_TRACE");
        v = (env && std::strcmp(env, "1") == 0) ? 1 : 0;
        g_enabled.store(v);
    }
    return v == 1;
}

void setTraceEnabled(bool enabled) { g_enabled.store(enabled ? 1 : 0); }

void setTraceShowsSecrets(bool shown) {
    g_secretsShown.store(shown);
}
bool traceShowsSecrets() {
    return g_secretsShown.load();
}

std::string traceSecret(std::string_view value) {
    if (value.empty() || traceShowsSecrets()) return std::string(value);
    return kTraceSecretMask;
}

TraceSink setTraceSink(TraceSink sink) {
    std::lock_guard lock(g_mutex);
    std::swap(g_sink, sink);
    return sink;
}

void trace(std::string_view line) {
    std::lock_guard lock(g_mutex);
    if (g_sink) g_sink(line);
    if (traceEnabled()) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        if (line.empty() || line.back() != '\n') std::fputc('\n', stderr);
    }
}

}  // namespace setrion
