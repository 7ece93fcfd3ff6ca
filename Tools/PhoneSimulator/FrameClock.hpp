#pragma once
// When each video frame is due: frame n at start + n / framesPerSecond on the monotonic clock.
// A source takes frames in increasing order; the frames it passes over count as skipped.

#include <chrono>
#include <cstdint>
#include <optional>

namespace UmberlinTools {

using SteadyTime = std::chrono::steady_clock::time_point;

class FrameClock {
public:
    explicit FrameClock(int framesPerSecond);

    // Frame 0 is due at `start`; nothing has been taken or skipped yet.
    void start(SteadyTime start);

    SteadyTime timeOf(std::int64_t frame) const { return start_ + period_ * frame; }
    std::int64_t nanosecondsOf(std::int64_t frame) const;
    double secondsOf(std::int64_t frame) const;
    std::int64_t nextFrame() const { return nextFrame_; }
    SteadyTime nextDueTime() const { return timeOf(nextFrame_); }

    // The latest frame due by `now`; nothing while the next frame is not due yet.
    std::optional<std::int64_t> latestDue(SteadyTime now) const;

    // Takes `frame` (not before nextFrame()); the untaken frames before it count as skipped.
    void take(std::int64_t frame);

    // Frames skipped since the last call.
    std::int64_t takeSkippedCount();

private:
    std::chrono::nanoseconds period_;
    SteadyTime start_{};
    std::int64_t nextFrame_ = 0;
    std::int64_t skipped_ = 0;
};

}  // namespace UmberlinTools
