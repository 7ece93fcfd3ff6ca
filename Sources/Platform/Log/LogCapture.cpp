#include "Log/LogCapture.hpp"

#include <algorithm>

namespace UmberlinPlatform {

ScopedLogCapture::ScopedLogCapture() : token_(addLogSink([this](const std::string& line) { append(line); })) {}

ScopedLogCapture::~ScopedLogCapture() { removeLogSink(token_); }

void ScopedLogCapture::append(const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(line);
}

std::vector<std::string> ScopedLogCapture::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool ScopedLogCapture::contains(std::string_view text) const {
    std::lock_guard lock(mutex_);
    return std::any_of(lines_.begin(), lines_.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

}  // namespace UmberlinPlatform
