#pragma once
// Small media for the recorder's tests: a real 64x48 HEVC format (parameter sets from libx265)
// with placeholder access units (never decoded), and 16-bit PCM buffers. The fake writer never decodes them.

#include <cstdint>
#include <memory>
#include <vector>

#include "Media/AudioFormatDescription.hpp"
#include "Media/SampleBuffer.hpp"
#include "Media/VideoFormatDescription.hpp"

namespace QuillfenTests {

inline std::vector<std::uint8_t> fromHex(const char* hex) {
    std::vector<std::uint8_t> bytes;
    for (const char* digit = hex; digit[0] && digit[1]; digit += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(digit, 2), nullptr, 16)));
    }
    return bytes;
}

inline std::shared_ptr<const Media::VideoFormatDescription> testVideoFormat() {
    const std::vector<Media::Bytes> parameterSets = {
        fromHex("40010c01ffff01600000030090000003000003001e959809"),
        fromHex("42010101600000030090000003000003001ea02083165959ae4caf016808000003000800000300f040"),
        fromHex("4401c173d089"),
    };
    return Media::VideoFormatDescription::makeFromHevcParameterSets(parameterSets, 4).object;
}

inline std::shared_ptr<const Media::AudioFormatDescription> testAudioFormat(double sampleRate = 48000,
                                                                            std::uint32_t channels = 2) {
    return Media::AudioFormatDescription::make(
               Media::AudioStreamBasicDescription::linearPcm16(sampleRate, static_cast<std::uint32_t>(channels)))
        .object;
}

inline Media::MediaTime nanoseconds(std::int64_t value) { return Media::MediaTime::make(value, 1'000'000'000); }

// One access unit of `size` bytes (a single NAL unit behind a 4-byte length) at
// `presentationNanoseconds`, lasting 1/30 s.
inline Media::SampleBufferRef videoBuffer(
    std::int64_t presentationNanoseconds, bool isKeyFrame,
    std::shared_ptr<const Media::VideoFormatDescription> format = testVideoFormat(), std::size_t size = 8) {
    std::vector<std::uint8_t> accessUnit(size, 0x5a);
    const std::size_t unitLength = size - 4;
    accessUnit[0] = static_cast<std::uint8_t>(unitLength >> 24);
    accessUnit[1] = static_cast<std::uint8_t>(unitLength >> 16);
    accessUnit[2] = static_cast<std::uint8_t>(unitLength >> 8);
    accessUnit[3] = static_cast<std::uint8_t>(unitLength);
    accessUnit[4] = 0x26;  // an IDR slice's NAL unit header
    accessUnit[5] = 0x01;
    auto block = Media::BlockBuffer::makeWithMemoryBlock(size).object;
    block->replaceDataBytes(accessUnit, 0);
    const Media::SampleTimingInfo timing{Media::MediaTime::make(1, 30), nanoseconds(presentationNanoseconds),
                                         Media::MediaTime::invalid()};
    auto buffer = Media::SampleBuffer::makeReady(block, format, 1, std::span(&timing, 1), std::span(&size, 1)).object;
    auto& attachments = *buffer->sampleAttachments(true);
    attachments.front().displayImmediately = true;
    attachments.front().notSync = !isKeyFrame;
    return buffer;
}

// `frames` frames of silence at `presentationNanoseconds`.
inline Media::SampleBufferRef audioBuffer(
    std::int64_t presentationNanoseconds, int frames = 960,
    std::shared_ptr<const Media::AudioFormatDescription> format = testAudioFormat()) {
    const auto& description = format->streamBasicDescription();
    const std::size_t bytesPerFrame = description.bytesPerFrame;
    auto block = Media::BlockBuffer::makeWithMemoryBlock(bytesPerFrame * frames).object;
    block->replaceDataBytes(std::vector<std::uint8_t>(bytesPerFrame * frames, 0), 0);
    const Media::SampleTimingInfo timing{Media::MediaTime::make(1, static_cast<std::int32_t>(description.sampleRate)),
                                         nanoseconds(presentationNanoseconds), Media::MediaTime::invalid()};
    return Media::SampleBuffer::makeReady(block, format, frames, std::span(&timing, 1), std::span(&bytesPerFrame, 1))
        .object;
}

}  // namespace QuillfenTests
