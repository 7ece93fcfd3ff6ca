#include "Media/AudioFormatDescription.hpp"

#include <cmath>
#include <new>

namespace Media {

namespace {

bool isConsistent(const AudioStreamBasicDescription& description) {
    if (!std::isfinite(description.sampleRate) || description.sampleRate <= 0 || description.formatId == 0 ||
        description.channelsPerFrame == 0) {
        return false;
    }
    if (description.formatId != audioFormatLinearPcm) {
        return true;
    }
    const std::uint64_t bitsPerFrame = std::uint64_t{description.channelsPerFrame} * description.bitsPerChannel;
    return description.framesPerPacket == 1 && description.bytesPerPacket == description.bytesPerFrame &&
           description.bitsPerChannel > 0 && std::uint64_t{description.bytesPerFrame} * 8 >= bitsPerFrame;
}

}  // namespace

Created<const AudioFormatDescription> AudioFormatDescription::make(const AudioStreamBasicDescription& description) {
    using Result = const AudioFormatDescription;
    if (!isConsistent(description)) {
        return createdFailure<Result>(StatusCode::invalidFormatParameter);
    }
    try {
        return {StatusCode::success, std::make_shared<Result>(ConstructionToken{}, description)};
    } catch (const std::bad_alloc&) {
        return createdFailure<Result>(StatusCode::formatAllocationFailed);
    }
}

}  // namespace Media
