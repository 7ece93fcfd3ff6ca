#include "VideoStream.hpp"

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

UmberlinWire::VideoConfiguration videoConfiguration(const HevcEncoderSettings& settings,
                                                    const std::vector<UmberlinWire::Bytes>& parameterSets) {
    return UmberlinWire::VideoConfiguration{
        .codec = UmberlinWire::Codec::hevc,
        .width = settings.width,
        .height = settings.height,
        .nalUnitHeaderLength = settings.nalUnitHeaderLength,
        .parameterSets = parameterSets,
    };
}

VideoStream::VideoStream(const SimulatorOptions& options)
    : VideoSource(options.framesPerSecond),
      encoder_(encoderSettings(options)),
      painter_(nearestQuarterTurn(options.rotationDegrees), options.exposureChart) {}

UmberlinWire::VideoConfiguration VideoStream::configuration() const {
    return videoConfiguration(encoder_.settings(), encoder_.parameterSets());
}

std::vector<EncodedFrame> VideoStream::takeDue(SteadyTime now, const SimulatedCamera& camera) {
    const std::optional<std::int64_t> frame = clock_.latestDue(now);
    if (!frame) return {};
    clock_.take(*frame);
    const std::optional<FocusPoint> focus = camera.focusPoint();
    painter_.paint(encoder_.nextPicture(), TestPictureContent{
                                               .frameNumber = *frame,
                                               .secondsSinceStart = clock_.secondsOf(*frame),
                                               .cameraLine = camera.summary(),
                                               .focusPointX = focus ? std::optional(focus->x) : std::nullopt,
                                               .focusPointY = focus ? std::optional(focus->y) : std::nullopt,
                                           });
    return encoder_.encode(clock_.nanosecondsOf(*frame));
}

}  // namespace UmberlinTools
