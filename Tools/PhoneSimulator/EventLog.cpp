#include "EventLog.hpp"

#include <cstdio>
#include <mutex>

namespace UmberlinTools {

void logEvent(std::string_view line) {
    static std::mutex outputMutex;
    const std::lock_guard lock(outputMutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace UmberlinTools
