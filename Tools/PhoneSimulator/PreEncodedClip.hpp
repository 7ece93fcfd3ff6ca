#pragma once
// A few seconds of the test picture encoded once, to be played in a loop: the simulator then
// streams sizes and rates it could not encode in real time, and uses little CPU doing it.

#include <vector>

#include "MediaSupport/HevcEncoder.hpp"
#include "SimulatorOptions.hpp"

namespace UmberlinTools {

struct PreEncodedClip {
    HevcEncoderSettings settings;
    std::vector<UmberlinWire::Bytes> parameterSets;  // VPS, SPS, PPS
    // In display order, timed from 0; the first is a key frame.
    std::vector<EncodedFrame> frames;
};

// Paints and encodes options.preEncodedSeconds of the test picture as a camera at its default
// settings shows it. Throws what HevcEncoder throws.
PreEncodedClip encodeClip(const SimulatorOptions& options);

}  // namespace UmberlinTools
