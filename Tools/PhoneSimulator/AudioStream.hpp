#pragma once
// The simulated microphone: 20 ms packets of test tone, each sent once its last sample is
// due on the monotonic clock and stamped with the time of its first sample (plus the
// configured clock offset). A sender that was briefly late catches up with every packet, so
// the audio has no gaps; after a long pause (a stall) the stream jumps ahead instead of
// bursting out seconds of old audio.

#include <vector>

#include "AudioToneGenerator.hpp"
#include "PeerConnection.hpp"

namespace UmberlinTools {

struct AudioPacket {
    std::uint64_t presentationTimeNanoseconds;
    UmberlinWire::Bytes samples;
};

class AudioStream {
public:
    AudioStream(const UmberlinWire::AudioConfiguration& configuration, double clockOffsetMilliseconds,
                SteadyTime start);

    UmberlinWire::AudioConfiguration configuration() const;
    SteadyTime nextDueTime() const;
    std::vector<AudioPacket> takeDue(SteadyTime now);
    // Drops the audio due by `now` unsent: the next packet is the one that ends at `now`.
    void skipTo(SteadyTime now);

private:
    SteadyTime timeOfFrame(std::int64_t frame) const;

    AudioToneGenerator generator_;
    std::chrono::nanoseconds clockOffset_;
    SteadyTime start_;
    int framesPerPacket_;
};

}  // namespace UmberlinTools
