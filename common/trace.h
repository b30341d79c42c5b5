#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace setrion {

// Diagnostic trace lines. Written to stderr when enabled (--trace or SETRION_TRACE=1);
// a sink may be installed to capture them (tests check the fixed trace texts).
void trace(std::string_view line);
void setTraceEnabled(bool enabled);
bool traceEnabled();
// Keys and passwords appear in trace lines as kTraceSecretMask unless shown (--show-secrets).
inline constexpr const char* kTraceSecretMask = "********";
void setTraceShowsSecrets(bool shown);
bool traceShowsSecrets();
// `value` as a trace line may carry it: itself when secrets are shown or it is empty, else
// the mask.
std::string traceSecret(std::string_view value);
using TraceSink = std::function<void(std::string_view)>;
// Installs a sink that receives every trace line, enabled or not; returns the previous one.
TraceSink setTraceSink(TraceSink sink);

}  // namespace setrion
