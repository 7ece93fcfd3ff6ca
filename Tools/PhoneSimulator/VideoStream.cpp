#include "VideoStream.hpp"

#include <utility>

namespace UmberlinTools {

HevcEncoderSettings encoderSettings(const SimulatorOptions& options) {
    return HevcEncoderSettings{
        .width = options.width,
        .height = options.height,
        .framesPerSecond = options.framesPerSecond,
        .bitDepth = options.bitDepth,
        .keyFrameInterval = options.keyFrameInterval,
        .bitRate = options.bitRate,
        .nalUnitHeaderLength = options.nalUnitHeaderLength,
    };
}

VideoStream::VideoStream(const SimulatorOptions& options)
    : encoder_(encoderSettings(options)),
      painter_(nearestQuarterTurn(options.rotationDegrees)),
      framePeriod_(std::chrono::nanoseconds(1'000'000'000LL / options.framesPerSecond)) {}

UmberlinWire::VideoConfiguration VideoStream::configuration() const {
    const HevcEncoderSettings& settings = encoder_.settings();
    return UmberlinWire::VideoConfiguration{
        .codec = UmberlinWire::Codec::hevc,
        .width = settings.width,
        .height = settings.height,
        .nalUnitHeaderLength = settings.nalUnitHeaderLength,
        .parameterSets = encoder_.parameterSets(),
    };
}

void VideoStream::startClock(SteadyTime start) {
    start_ = start;
    nextFrame_ = 0;
    skipped_ = 0;
}

SteadyTime VideoStream::frameTime(std::int64_t index) const { return start_ + framePeriod_ * index; }

SteadyTime VideoStream::nextDueTime() const { return frameTime(nextFrame_); }

std::vector<EncodedFrame> VideoStream::encodeDue(SteadyTime now, const SimulatedCamera& camera) {
    if (now < nextDueTime()) return {};
    const std::int64_t latestDue = (now - start_) / framePeriod_;
    skipped_ += latestDue - nextFrame_;
    const std::int64_t frame = latestDue;
    nextFrame_ = latestDue + 1;

    const SteadyTime time = frameTime(frame);
    const std::optional<FocusPoint> focus = camera.focusPoint();
    painter_.paint(encoder_.nextPicture(),
                   TestPictureContent{
                       .frameNumber = frame,
                       .secondsSinceStart = std::chrono::duration<double>(time - start_).count(),
                       .cameraLine = camera.summary(),
                       .focusPointX = focus ? std::optional(focus->x) : std::nullopt,
                       .focusPointY = focus ? std::optional(focus->y) : std::nullopt,
                   });
    return encoder_.encode(std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count());
}

std::int64_t VideoStream::takeSkippedCount() { return std::exchange(skipped_, 0); }

}  // namespace UmberlinTools
