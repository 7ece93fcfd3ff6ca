#pragma once
// Collects logged lines while it exists, for tests that check diagnostics.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Log/DiagnosticLog.hpp"

namespace UmberlinPlatform {

class ScopedLogCapture {
public:
    ScopedLogCapture();
    ~ScopedLogCapture();
    ScopedLogCapture(const ScopedLogCapture&) = delete;
    ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

    // Every line logged since construction, in order. Thread-safe.
    std::vector<std::string> lines() const;
    // Whether some captured line contains `text`.
    bool contains(std::string_view text) const;

private:
    void append(const std::string& line);

    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    LogSinkToken token_;
};

}  // namespace UmberlinPlatform
