#include "Reception/NetworkCameraMediaBuilders.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "Reception/NetworkCameraError.hpp"

namespace Quillfen {
namespace {

constexpr std::int32_t nanosecondsPerSecond = 1'000'000'000;

Media::MediaTime presentationTime(std::uint64_t nanoseconds) {
    constexpr auto latest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return Media::MediaTime::make(static_cast<std::int64_t>(std::min(nanoseconds, latest)), nanosecondsPerSecond);
}

// The payload in a block of its own; the one copy each media payload costs.
std::shared_ptr<const Media::BlockBuffer> copyIntoBlock(UmberlinWire::ByteView payload,
                                                        NetworkCameraError (*copyFailure)(std::int32_t)) {
    auto block = Media::BlockBuffer::makeWithMemoryBlock(payload.size());
    if (!block.succeeded()) throw NetworkCameraError::cannotCreateBlockBuffer(block.status);
    if (const auto status = block.object->replaceDataBytes(payload, 0); status != Media::StatusCode::success) {
        throw copyFailure(status);
    }
    return block.object;
}

bool isSupportedAudioConfiguration(const UmberlinWire::AudioConfiguration& configuration) {
    return configuration.sampleRate >= 8000 && configuration.sampleRate <= 192000 && configuration.channelCount >= 1 &&
           configuration.channelCount <= 8;
}

}  // namespace

std::shared_ptr<const Media::VideoFormatDescription> makeFormatDescription(
    const UmberlinWire::VideoConfiguration& configuration) {
    if (configuration.parameterSets.empty() || configuration.nalUnitHeaderLength < 1 ||
        configuration.nalUnitHeaderLength > 4) {
        throw NetworkCameraError::invalidVideoConfiguration();
    }
    auto created = Media::VideoFormatDescription::makeFromHevcParameterSets(
        configuration.parameterSets, static_cast<int>(configuration.nalUnitHeaderLength));
    if (!created.succeeded()) throw NetworkCameraError::cannotCreateFormatDescription(created.status);
    return created.object;
}

Media::SampleBufferRef makeSampleBuffer(UmberlinWire::ByteView payload,
                                        const std::shared_ptr<const Media::VideoFormatDescription>& formatDescription,
                                        std::uint64_t presentationTimeNanoseconds, std::int64_t framesPerSecond,
                                        bool isKeyFrame) {
    auto block = copyIntoBlock(payload, &NetworkCameraError::cannotCopyFrame);
    // A media time scale is 32-bit: a frame rate beyond it means the shortest duration there is.
    const auto timeScale = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(framesPerSecond, 1, std::numeric_limits<std::int32_t>::max()));
    const std::array timing{Media::SampleTimingInfo{
        .duration = Media::MediaTime::make(1, timeScale),
        .presentationTimeStamp = presentationTime(presentationTimeNanoseconds),
        .decodeTimeStamp = Media::MediaTime::invalid(),
    }};
    const std::array sizes{payload.size()};
    auto sample = Media::SampleBuffer::makeReady(std::move(block), formatDescription, 1, timing, sizes);
    if (!sample.succeeded()) throw NetworkCameraError::cannotCreateSampleBuffer(sample.status);

    if (auto* attachments = sample.object->sampleAttachments(true); attachments != nullptr && !attachments->empty()) {
        attachments->front().displayImmediately = true;
        if (!isKeyFrame) attachments->front().notSync = true;
    }
    return sample.object;
}

std::shared_ptr<const Media::AudioFormatDescription> makeAudioFormatDescription(
    const UmberlinWire::AudioConfiguration& configuration) {
    if (!isSupportedAudioConfiguration(configuration)) throw NetworkCameraError::invalidAudioConfiguration();
    const auto channels = static_cast<std::uint32_t>(configuration.channelCount);
    const auto description =
        Media::AudioStreamBasicDescription::linearPcm16(static_cast<double>(configuration.sampleRate), channels);
    auto created = Media::AudioFormatDescription::make(description);
    if (!created.succeeded()) throw NetworkCameraError::cannotCreateAudioFormatDescription(created.status);
    return created.object;
}

Media::SampleBufferRef makeAudioSampleBuffer(
    UmberlinWire::ByteView payload, const UmberlinWire::AudioConfiguration& configuration,
    const std::shared_ptr<const Media::AudioFormatDescription>& formatDescription,
    std::uint64_t presentationTimeNanoseconds) {
    if (!isSupportedAudioConfiguration(configuration)) throw NetworkCameraError::invalidAudioConfiguration();
    const std::size_t bytesPerFrame = 2 * static_cast<std::size_t>(configuration.channelCount);
    if (payload.empty() || payload.size() % bytesPerFrame != 0) throw NetworkCameraError::invalidAudioFrame();
    const auto frameCount = static_cast<std::int64_t>(payload.size() / bytesPerFrame);

    auto block = copyIntoBlock(payload, &NetworkCameraError::cannotCopyAudioFrame);
    const std::array timing{Media::SampleTimingInfo{
        .duration = Media::MediaTime::make(1, static_cast<std::int32_t>(configuration.sampleRate)),
        .presentationTimeStamp = presentationTime(presentationTimeNanoseconds),
        .decodeTimeStamp = Media::MediaTime::invalid(),
    }};
    const std::array sizes{bytesPerFrame};
    auto sample = Media::SampleBuffer::makeReady(std::move(block), formatDescription, frameCount, timing, sizes);
    if (!sample.succeeded()) throw NetworkCameraError::cannotCreateAudioSampleBuffer(sample.status);
    return sample.object;
}

}  // namespace Quillfen
