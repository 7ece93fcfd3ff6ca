#pragma once
// Test audio for the phone's microphone: one sine tone per channel (440 Hz, 660 Hz, ...) whose
// level follows an 8-second cycle, so that a level meter visibly moves through its range:
//
//   0.0-2.0 s  rising from -50 dBFS to -6 dBFS
//   2.0-3.0 s  digital silence
//   3.0-3.5 s  a full-scale square wave (clipping)
//   3.5-6.0 s  around -20 dBFS, wobbling by 6 dB
//   6.0-8.0 s  falling from -6 dBFS to -50 dBFS

#include <cstdint>

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinTools {

class AudioToneGenerator {
public:
    AudioToneGenerator(int sampleRate, int channelCount);

    int sampleRate() const { return sampleRate_; }
    int channelCount() const { return channelCount_; }
    std::int64_t framesGenerated() const { return framesGenerated_; }

    // The next frameCount frames as interleaved 16-bit little-endian samples.
    UmberlinWire::Bytes nextPacket(int frameCount);

    // Skips frames without producing them (used when the sender had to pause).
    void skip(std::int64_t frameCount) { framesGenerated_ += frameCount; }

    // The cycle's amplitude (0...1) at a time; a negative value marks the clipping burst.
    static double amplitudeAt(double seconds);

private:
    int sampleRate_;
    int channelCount_;
    std::int64_t framesGenerated_ = 0;
};

}  // namespace UmberlinTools
