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
using TraceSink = std::function<void(std::string_view)>;
// Installs a sink that receives every trace line, enabled or not; returns the previous one.
TraceSink setTraceSink(TraceSink sink);

}  // namespace setrion
