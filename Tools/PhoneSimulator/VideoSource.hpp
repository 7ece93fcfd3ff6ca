#pragma once
// Where a session's video frames come from: encoded live (VideoStream) or played from a clip
// encoded beforehand (PreEncodedVideoStream). Either keeps to the frame clock they share here.

#include <cstdint>
#include <vector>

#include "FrameClock.hpp"
#include "MediaSupport/HevcEncoder.hpp"
#include "SimulatedCamera.hpp"
#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinTools {

class VideoSource {
public:
    explicit VideoSource(int framesPerSecond) : clock_(framesPerSecond) {}
    virtual ~VideoSource() = default;

    // Frame 0 is due at `start`.
    void startClock(SteadyTime start) { clock_.start(start); }
    SteadyTime nextDueTime() const { return clock_.nextDueTime(); }
    // Frames skipped since the last call.
    std::int64_t takeSkippedCount() { return clock_.takeSkippedCount(); }

    virtual UmberlinWire::VideoConfiguration configuration() const = 0;

    // The frame to send for what is due by `now`, carrying its due time; nothing when no frame
    // is due yet.
    virtual std::vector<EncodedFrame> takeDue(SteadyTime now, const SimulatedCamera& camera) = 0;

protected:
    FrameClock clock_;
};

}  // namespace UmberlinTools
