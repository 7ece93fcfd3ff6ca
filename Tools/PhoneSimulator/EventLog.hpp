#pragma once
// One line per event on standard output, flushed at once so that a test or a person
// watching the simulator sees each event as it happens. Safe to call from any thread.

#include <string_view>

namespace UmberlinTools {

void logEvent(std::string_view line);

}  // namespace UmberlinTools
