#pragma once
// The simulator's test picture as the preview and the movie writer receive it: painted and
// encoded by the simulator's own parts, each access unit in a sample buffer with its
// presentation time, its HEVC format and, for delta frames, the notSync mark.

#include <cstdint>
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
    int framesPerSecond = 30;
    std::int64_t bitRate = 6'000'000;
    int nalUnitHeaderLength = 4;
};

struct SimulatorVideo {
    std::shared_ptr<const Media::VideoFormatDescription> format;
    std::vector<Media::SampleBufferRef> samples;  // in decoding order, the first a key frame
    std::vector<Media::Bytes> accessUnits;        // the same access units, as sent
};

SimulatorVideo encodeSimulatorVideo(const SimulatorVideoSettings& settings);

}  // namespace SimulatorTests
