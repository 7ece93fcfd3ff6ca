#include <gtest/gtest.h>

#include <algorithm>

#include "Log/LogThrottle.hpp"

using namespace UmberlinPlatform;
using namespace std::chrono_literals;

namespace {

struct ThrottledLog {
    LogThrottle throttle;
    LogThrottle::Time now{};
    std::vector<std::string> written;

    void log(const std::string& line, std::chrono::milliseconds later = 0ms) {
        now += later;
        for (std::string& out : throttle.admit(line, now)) written.push_back(std::move(out));
    }
};

}  // namespace

// A phone that makes one line repeat thousands of times a second leaves three of them and
// one summary a second.
TEST(LogThrottle, AFloodOfOneLineBecomesAFewLinesAndASummaryASecond) {
    ThrottledLog log;
    for (int index = 0; index < 3000; ++index) log.log("[Umberlin stream] dropped", 1ms);
    log.log("[Umberlin stream] other", 1ms);
    for (const std::string& line : log.throttle.flush()) log.written.push_back(line);

    ASSERT_GE(log.written.size(), 3u);
    EXPECT_EQ(std::vector(log.written.begin(), log.written.begin() + 3),
              std::vector<std::string>(3, "[Umberlin stream] dropped"));
    // Every occurrence is accounted for, written or summed up.
    std::size_t counted = 0;
    const std::string summary = "[Umberlin stream] dropped \u2026 repeated ";
    for (const std::string& line : log.written) {
        if (line == "[Umberlin stream] dropped") ++counted;
        if (line.starts_with(summary)) counted += std::stoul(line.substr(summary.size()));
    }
    EXPECT_EQ(counted, 3000u);
    EXPECT_LE(log.written.size(), 15u) << "three seconds of flood";
    EXPECT_EQ(std::count(log.written.begin(), log.written.end(), "[Umberlin stream] other"), 1);
}

// Distinct lines cannot flood either; what is left out is counted.
TEST(LogThrottle, ManyDistinctLinesAreBoundedAndCounted) {
    ThrottledLog log;
    for (int index = 0; index < 1000; ++index) log.log("[Umberlin stream] line " + std::to_string(index), 1ms);
    log.log("[Umberlin stream] last", 1s);
    EXPECT_LT(log.written.size(), 130u);
    EXPECT_NE(std::find_if(log.written.begin(), log.written.end(),
                           [](const std::string& line) { return line.starts_with("[Umberlin log] "); }),
              log.written.end());
    // A line that comes back slowly is always written.
    ThrottledLog slow;
    for (int index = 0; index < 10; ++index) slow.log("[Umberlin stream] Discovered Phone", 1s);
    EXPECT_EQ(slow.written, std::vector<std::string>(10, "[Umberlin stream] Discovered Phone"));
}
