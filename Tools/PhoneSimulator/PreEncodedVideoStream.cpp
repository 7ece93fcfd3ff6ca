#include "PreEncodedVideoStream.hpp"

#include "VideoStream.hpp"

namespace UmberlinTools {

PreEncodedVideoStream::PreEncodedVideoStream(std::shared_ptr<const PreEncodedClip> clip)
    : VideoSource(clip->settings.framesPerSecond), clip_(std::move(clip)) {}

UmberlinWire::VideoConfiguration PreEncodedVideoStream::configuration() const {
    return videoConfiguration(clip_->settings, clip_->parameterSets);
}

const EncodedFrame& PreEncodedVideoStream::clipFrame(std::int64_t frame) const {
    return clip_->frames[static_cast<std::size_t>(frame % static_cast<std::int64_t>(clip_->frames.size()))];
}

std::vector<EncodedFrame> PreEncodedVideoStream::takeDue(SteadyTime now, const SimulatedCamera&) {
    const std::optional<std::int64_t> latest = clock_.latestDue(now);
    if (!latest) return {};
    std::int64_t frame = clock_.nextFrame();
    for (std::int64_t candidate = *latest; candidate > frame; --candidate) {
        if (clipFrame(candidate).keyFrame) {
            frame = candidate;
            break;
        }
    }
    clock_.take(frame);
    const EncodedFrame& source = clipFrame(frame);
    return {EncodedFrame{source.accessUnit, source.keyFrame, clock_.nanosecondsOf(frame)}};
}

}  // namespace UmberlinTools
