#include "Recording/NetworkVideoRecorderSettings.hpp"

#include <cmath>

#include "Recording/RecordingError.hpp"

namespace Quillfen {

UmberlinPlatform::AffineTransform videoTransform(int rotation, Media::VideoDimensions dimensions) {
    const double width = dimensions.width;
    const double height = dimensions.height;
    switch (rotation) {
        case 90:
            return {0, 1, -1, 0, height, 0};
        case 180:
            return {-1, 0, 0, -1, width, height};
        case 270:
            return {0, -1, 1, 0, 0, width};
        default:
            return {};
    }
}

UmberlinPlatform::AacOutputSettings audioOutputSettings(
    const std::shared_ptr<const Media::AudioFormatDescription>& format) {
    if (!format) {
        throw RecordingError(RecordingError::Kind::missingAudioFormat);
    }
    const Media::AudioStreamBasicDescription& description = format->streamBasicDescription();
    const int channels = static_cast<int>(description.channelsPerFrame);
    return {description.sampleRate, channels, channels <= 1 ? 128000 : 192000};
}

Media::SampleBufferRef rebasedSampleBuffer(const Media::SampleBuffer& buffer, const Media::MediaTime& offset) {
    Media::SampleTimingInfo timing{};
    if (const Media::Status status = buffer.sampleTimingInfo(0, timing); status != Media::StatusCode::success) {
        throw RecordingError::cannotRebaseSample(status);
    }
    if (!timing.presentationTimeStamp.isValid()) {
        throw RecordingError(RecordingError::Kind::invalidTimestamp);
    }
    timing.presentationTimeStamp = timing.presentationTimeStamp - offset;
    if (timing.decodeTimeStamp.isValid()) {
        timing.decodeTimeStamp = timing.decodeTimeStamp - offset;
    }
    auto copy = buffer.makeCopyWithNewTiming(std::span(&timing, 1));
    if (!copy.succeeded()) {
        throw RecordingError::cannotRebaseSample(copy.status);
    }
    if (auto* attachments = copy.object->sampleAttachments(false); attachments && !attachments->empty()) {
        attachments->front().displayImmediately.reset();
    }
    return copy.object;
}

}  // namespace Quillfen
