#include "Log/DiagnosticLog.hpp"

#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace UmberlinPlatform {
namespace {

struct SinkRegistry {
    std::mutex mutex;
    std::map<LogSinkToken, LogSink> sinks;
    LogSinkToken nextToken = 1;
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
    writeToStandardError(text + '\n');
    for (auto& [token, sink] : sinks.sinks) sink(text);
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
