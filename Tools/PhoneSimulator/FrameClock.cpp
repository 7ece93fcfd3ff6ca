#include "FrameClock.hpp"

#include <utility>

namespace UmberlinTools {

FrameClock::FrameClock(int framesPerSecond) : period_(std::chrono::nanoseconds(1'000'000'000LL / framesPerSecond)) {}

void FrameClock::start(SteadyTime start) {
    start_ = start;
    nextFrame_ = 0;
    skipped_ = 0;
}

std::int64_t FrameClock::nanosecondsOf(std::int64_t frame) const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(timeOf(frame).time_since_epoch()).count();
}

double FrameClock::secondsOf(std::int64_t frame) const {
    return std::chrono::duration<double>(period_ * frame).count();
}

std::optional<std::int64_t> FrameClock::latestDue(SteadyTime now) const {
    if (now < nextDueTime()) return std::nullopt;
    return (now - start_) / period_;
}

void FrameClock::take(std::int64_t frame) {
    skipped_ += frame - nextFrame_;
    nextFrame_ = frame + 1;
}

std::int64_t FrameClock::takeSkippedCount() { return std::exchange(skipped_, 0); }

}  // namespace UmberlinTools
