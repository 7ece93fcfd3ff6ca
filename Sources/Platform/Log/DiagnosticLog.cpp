#include "Log/DiagnosticLog.hpp"

#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "Log/LogThrottle.hpp"

namespace UmberlinPlatform {
namespace {

void writeToStandardError(const std::string& text);

struct SinkRegistry {
    std::mutex mutex;
    std::map<LogSinkToken, LogSink> sinks;
    LogSinkToken nextToken = 1;
    LogThrottle throttle;  // standard error only: sinks see every line

    ~SinkRegistry() {
        for (const std::string& line : throttle.flush()) writeToStandardError(line + '\n');
    }
};

SinkRegistry& registry() {
    static SinkRegistry instance;
    return instance;
}

void writeToStandardError(const std::string& text) {
    const char* data = text.data();
    std::size_t remaining = text.size();
    while (remaining > 0) {
        ssize_t written = ::write(STDERR_FILENO, data, remaining);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // nowhere left to report a failing log
        }
        data += written;
        remaining -= static_cast<std::size_t>(written);
    }
}

}  // namespace

void logLine(std::string_view line) {
    std::string text(line);
    SinkRegistry& sinks = registry();
    std::lock_guard lock(sinks.mutex);
    for (const std::string& written : sinks.throttle.admit(text, std::chrono::steady_clock::now()))
        writeToStandardError(written + '\n');
    for (auto& [token, sink] : sinks.sinks) sink(text);
}

void flushDiagnosticLog() {
    SinkRegistry& sinks = registry();
    std::lock_guard lock(sinks.mutex);
    for (const std::string& line : sinks.throttle.flush()) writeToStandardError(line + '\n');
}

LogSinkToken addLogSink(LogSink sink) {
    SinkRegistry& sinks = registry();
    std::lock_guard lock(sinks.mutex);
    LogSinkToken token = sinks.nextToken++;
    sinks.sinks.emplace(token, std::move(sink));
    return token;
}

void removeLogSink(LogSinkToken token) {
    SinkRegistry& sinks = registry();
    std::lock_guard lock(sinks.mutex);
    sinks.sinks.erase(token);
}

}  // namespace UmberlinPlatform
