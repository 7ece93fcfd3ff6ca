#include "Log/LogThrottle.hpp"

#include <algorithm>

namespace UmberlinPlatform {
namespace {

using namespace std::chrono_literals;

constexpr double sameLineBurst = 3;
constexpr double sameLinesPerSecond = 1;
constexpr double allLinesBurst = 100;
constexpr double allLinesPerSecond = 20;
constexpr auto summaryPeriod = 1s;
// Distinct lines remembered; the one seen longest ago makes room for a new one.
constexpr std::size_t rememberedLines = 256;

double refill(double tokens, double burst, double perSecond, LogThrottle::Time from, LogThrottle::Time to) {
    return std::min(burst, tokens + perSecond * std::chrono::duration<double>(to - from).count());
}

std::string droppedSummary(std::size_t count) {
    return "[Umberlin log] " + std::to_string(count) + " more line(s) left out: too many at once";
}

}  // namespace

std::string LogThrottle::summary(const std::string& line, std::size_t count) {
    return line + " \u2026 repeated " + std::to_string(count) + (count == 1 ? " time" : " times");
}

std::vector<std::string> LogThrottle::admit(std::string_view line, Time now) {
    std::vector<std::string> out;
    if (!started_) {
        started_ = true;
        tokens_ = allLinesBurst;
        refilledAt_ = lastDroppedSummary_ = lastScan_ = now;
    }
    if (now - lastScan_ >= summaryPeriod) summarizeDue(now, out);

    auto found = repeats_.find(line);
    if (found == repeats_.end()) {
        if (repeats_.size() >= rememberedLines) forgetOldest(out);
        found = repeats_.emplace(std::string(line), Repeats{sameLineBurst, now, now, now, 0}).first;
    }
    Repeats& repeats = found->second;
    repeats.tokens = refill(repeats.tokens, sameLineBurst, sameLinesPerSecond, repeats.refilledAt, now);
    repeats.refilledAt = repeats.lastSeen = now;
    if (repeats.tokens < 1) {
        if (repeats.heldBack++ == 0) repeats.lastSummary = now;
        if (now - repeats.lastSummary >= summaryPeriod) summarizeDue(now, out);
        return out;
    }
    repeats.tokens -= 1;

    tokens_ = refill(tokens_, allLinesBurst, allLinesPerSecond, refilledAt_, now);
    refilledAt_ = now;
    if (tokens_ < 1) {
        if (dropped_++ == 0) lastDroppedSummary_ = now;
        return out;
    }
    tokens_ -= 1;
    out.emplace_back(line);
    return out;
}

// Sums up every line held back for a second or more, and the lines left out.
void LogThrottle::summarizeDue(Time now, std::vector<std::string>& out) {
    lastScan_ = now;
    for (auto& [line, repeats] : repeats_) {
        if (repeats.heldBack == 0 || now - repeats.lastSummary < summaryPeriod) continue;
        out.push_back(summary(line, repeats.heldBack));
        repeats.heldBack = 0;
        repeats.lastSummary = now;
    }
    if (dropped_ > 0 && now - lastDroppedSummary_ >= summaryPeriod) {
        out.push_back(droppedSummary(dropped_));
        dropped_ = 0;
        lastDroppedSummary_ = now;
    }
}

void LogThrottle::forgetOldest(std::vector<std::string>& out) {
    const auto oldest = std::min_element(repeats_.begin(), repeats_.end(), [](const auto& a, const auto& b) {
        return a.second.lastSeen < b.second.lastSeen;
    });
    if (oldest->second.heldBack > 0) out.push_back(summary(oldest->first, oldest->second.heldBack));
    repeats_.erase(oldest);
}

std::vector<std::string> LogThrottle::flush() {
    std::vector<std::string> out;
    for (auto& [line, repeats] : repeats_) {
        if (repeats.heldBack > 0) out.push_back(summary(line, repeats.heldBack));
        repeats.heldBack = 0;
    }
    if (dropped_ > 0) out.push_back(droppedSummary(dropped_));
    dropped_ = 0;
    return out;
}

}  // namespace UmberlinPlatform
