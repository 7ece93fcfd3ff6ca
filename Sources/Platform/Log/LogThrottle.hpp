#pragma once
// Keeps the diagnostic log readable and its volume bounded whatever a phone does. The same line
// is written at most three times in a row, and after that about once a second; what it held back
// is then summed up as the line followed by "… repeated N times", at most once a second. Besides,
// all lines together are written at most 20 a second after a burst of 100, and the rest is
// counted in one line a second.

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace UmberlinPlatform {

class LogThrottle {
public:
    using Time = std::chrono::steady_clock::time_point;

    // What to write now for `line`, logged at `now`: the line itself when it may pass, after any
    // summaries that are due; possibly nothing.
    std::vector<std::string> admit(std::string_view line, Time now);
    // The summaries of everything still held back, for the end of the process.
    std::vector<std::string> flush();

private:
    struct Repeats {
        double tokens = 0;
        Time refilledAt;
        Time lastSeen;
        Time lastSummary;
        std::size_t heldBack = 0;
    };

    void summarizeDue(Time now, std::vector<std::string>& out);
    void forgetOldest(std::vector<std::string>& out);
    static std::string summary(const std::string& line, std::size_t count);

    std::map<std::string, Repeats, std::less<>> repeats_;
    double tokens_ = 0;
    bool started_ = false;
    Time refilledAt_;
    Time lastDroppedSummary_;
    Time lastScan_;
    std::size_t dropped_ = 0;
};

}  // namespace UmberlinPlatform
