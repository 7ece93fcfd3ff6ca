#include "PreEncodedClip.hpp"

#include <stdexcept>

#include "FrameClock.hpp"
#include "SimulatedCamera.hpp"
#include "TestPicturePainter.hpp"
#include "VideoStream.hpp"

namespace UmberlinTools {

PreEncodedClip encodeClip(const SimulatorOptions& options) {
    HevcEncoder encoder(encoderSettings(options));
    const TestPicturePainter painter(nearestQuarterTurn(options.rotationDegrees), options.exposureChart);
    const std::string cameraLine = SimulatedCamera().summary();
    FrameClock clock(options.framesPerSecond);
    clock.start(SteadyTime{});

    PreEncodedClip clip{.settings = encoder.settings(), .parameterSets = encoder.parameterSets(), .frames = {}};
    const std::int64_t frameCount = std::int64_t{options.preEncodedSeconds} * options.framesPerSecond;
    clip.frames.reserve(static_cast<std::size_t>(frameCount));
    for (std::int64_t frame = 0; frame < frameCount; ++frame) {
        painter.paint(encoder.nextPicture(), TestPictureContent{.frameNumber = frame,
                                                                .secondsSinceStart = clock.secondsOf(frame),
                                                                .cameraLine = cameraLine,
                                                                .focusPointX = std::nullopt,
                                                                .focusPointY = std::nullopt});
        for (EncodedFrame& encoded : encoder.encode(clock.nanosecondsOf(frame)))
            clip.frames.push_back(std::move(encoded));
    }
    for (EncodedFrame& encoded : encoder.flush()) clip.frames.push_back(std::move(encoded));
    if (clip.frames.empty() || clip.frames.size() != static_cast<std::size_t>(frameCount) ||
        !clip.frames.front().keyFrame)
        throw std::runtime_error("the HEVC encoder gave " + std::to_string(clip.frames.size()) + " frames for " +
                                 std::to_string(frameCount) + ", or did not begin with a key frame");
    return clip;
}

}  // namespace UmberlinTools
