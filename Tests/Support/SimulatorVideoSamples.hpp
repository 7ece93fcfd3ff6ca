#pragma once
// The simulator's test picture as the preview receives it: painted and encoded by the
// simulator's own parts, each access unit in a sample buffer with its presentation time, its
// HEVC format and, for delta frames, the notSync mark.

#include <memory>
#include <vector>

#include "Media/SampleBuffer.hpp"
#include "Media/VideoFormatDescription.hpp"
#include "PhoneSimulator/QuarterTurn.hpp"

namespace SimulatorTests {

struct SimulatorVideoSettings {
    int width = 320;
    int height = 240;
    int bitDepth = 8;
    int frameCount = 3;
    int keyFrameInterval = 30;
    // How the scene lies in the frame; turning the frame clockwise by it shows it upright.
    UmberlinTools::QuarterTurn contentTurn = UmberlinTools::QuarterTurn::none;
};

struct SimulatorVideo {
    std::shared_ptr<const Media::VideoFormatDescription> format;
    std::vector<Media::SampleBufferRef> samples;  // in decoding order, the first a key frame
};

SimulatorVideo encodeSimulatorVideo(const SimulatorVideoSettings& settings);

}  // namespace SimulatorTests
