#pragma once
// The diagnostic log: single lines such as "[Umberlin stream] Connected to ...".

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace UmberlinPlatform {

// Writes `line` plus a newline to standard error in one write, so lines from several
// threads never interleave, and hands it to every installed sink. Callable from any thread.
// On standard error, repeated and flooding lines are collapsed (LogThrottle); sinks get them all.
void logLine(std::string_view line);

// Writes what the collapsing still holds back ("… repeated N times") now, e.g. before a
// program's last sentence, so that nothing of the log follows it.
void flushDiagnosticLog();

// Receives every logged line (without the newline). Called on the logging thread, while
// the log holds its lock: a sink must not log itself.
using LogSink = std::function<void(const std::string& line)>;
using LogSinkToken = std::uint64_t;

// Adds a sink; the token removes it again. Once removeLogSink returns, the sink is not
// called any more (a call in progress on another thread has finished).
LogSinkToken addLogSink(LogSink sink);
void removeLogSink(LogSinkToken token);

}  // namespace UmberlinPlatform
