#pragma once
// The simulated camera's video: the test picture painted and encoded to HEVC in real time.
// Frame n is due at start + n / framesPerSecond on the monotonic clock and carries that time.
// When encoding falls behind, the frames whose time has already passed are skipped, so the
// stream keeps to the clock instead of drifting behind it.

#include <cstdint>
#include <memory>
#include <vector>

#include "MediaSupport/HevcEncoder.hpp"
#include "PeerConnection.hpp"
#include "SimulatedCamera.hpp"
#include "SimulatorOptions.hpp"
#include "TestPicturePainter.hpp"

namespace UmberlinTools {

HevcEncoderSettings encoderSettings(const SimulatorOptions& options);

class VideoStream {
public:
    // Throws what HevcEncoder throws for settings it cannot encode. The clock starts with
    // startClock().
    explicit VideoStream(const SimulatorOptions& options);

    // Frame 0 is due at `start`.
    void startClock(SteadyTime start);

    UmberlinWire::VideoConfiguration configuration() const;
    SteadyTime nextDueTime() const;

    // Paints and encodes the latest frame that is due by `now` (skipping older due frames);
    // nothing when no frame is due yet.
    std::vector<EncodedFrame> encodeDue(SteadyTime now, const SimulatedCamera& camera);

    // Frames skipped since the last call.
    std::int64_t takeSkippedCount();

private:
    SteadyTime frameTime(std::int64_t index) const;

    HevcEncoder encoder_;
    TestPicturePainter painter_;
    SteadyTime start_{};
    std::chrono::nanoseconds framePeriod_;
    std::int64_t nextFrame_ = 0;
    std::int64_t skipped_ = 0;
};

}  // namespace UmberlinTools
