#pragma once
// Plays a pre-encoded clip in a loop on the frame clock: frame n of the stream is frame
// n mod length of the clip, due and stamped at the clock's time for n, so the timestamps go on
// increasing across loops, and every loop begins with the clip's first frame, a key frame.
// Camera commands do not show in the picture.
//
// When sending falls behind, frames are sent one after another to catch up, since a frame after a
// gap does not decode; only when a key frame is among the overdue ones does the stream jump to the
// latest such key frame, skipping the frames before it.

#include <memory>

#include "PreEncodedClip.hpp"
#include "VideoSource.hpp"

namespace UmberlinTools {

class PreEncodedVideoStream : public VideoSource {
public:
    explicit PreEncodedVideoStream(std::shared_ptr<const PreEncodedClip> clip);

    UmberlinWire::VideoConfiguration configuration() const override;
    std::vector<EncodedFrame> takeDue(SteadyTime now, const SimulatedCamera& camera) override;

private:
    const EncodedFrame& clipFrame(std::int64_t frame) const;

    std::shared_ptr<const PreEncodedClip> clip_;
};

}  // namespace UmberlinTools
