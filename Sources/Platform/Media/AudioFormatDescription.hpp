// The format of an uncompressed audio stream, as a stream basic description: the phone sends
// interleaved signed 16-bit little-endian linear PCM.
#pragma once

#include "Media/FormatDescription.hpp"
#include "Media/MediaStatus.hpp"

#include <cstdint>

namespace Media {

inline constexpr std::uint32_t audioFormatLinearPcm = 0x6c70636d;  // 'lpcm'
inline constexpr std::uint32_t audioFormatFlagIsSignedInteger = 4;
inline constexpr std::uint32_t audioFormatFlagIsPacked = 8;

struct AudioStreamBasicDescription {
    double sampleRate = 0;
    std::uint32_t formatId = 0;
    std::uint32_t formatFlags = 0;
    std::uint32_t bytesPerPacket = 0;
    std::uint32_t framesPerPacket = 0;
    std::uint32_t bytesPerFrame = 0;
    std::uint32_t channelsPerFrame = 0;
    std::uint32_t bitsPerChannel = 0;
    std::uint32_t reserved = 0;

    // Packed, interleaved, signed 16-bit little-endian linear PCM: the phone's audio.
    static AudioStreamBasicDescription linearPcm16(double sampleRate, std::uint32_t channels) {
        return {.sampleRate = sampleRate,
                .formatId = audioFormatLinearPcm,
                .formatFlags = audioFormatFlagIsSignedInteger | audioFormatFlagIsPacked,
                .bytesPerPacket = 2 * channels,
                .framesPerPacket = 1,
                .bytesPerFrame = 2 * channels,
                .channelsPerFrame = channels,
                .bitsPerChannel = 16,
                .reserved = 0};
    }

    friend bool operator==(const AudioStreamBasicDescription&, const AudioStreamBasicDescription&) = default;
};

class AudioFormatDescription final : public FormatDescription {
    struct ConstructionToken {};

public:
    // Fails with invalidFormatParameter when the sample rate is not a positive finite number,
    // the format id is zero, or there are no channels; for linear PCM also when a packet is not
    // one frame, or a frame is smaller than its channels' bits need.
    static Created<const AudioFormatDescription> make(const AudioStreamBasicDescription& description);

    MediaType mediaType() const override { return MediaType::audio; }

    // Exactly the description it was created from.
    const AudioStreamBasicDescription& streamBasicDescription() const { return description_; }

    friend bool operator==(const AudioFormatDescription& left, const AudioFormatDescription& right) {
        return left.description_ == right.description_;
    }

    AudioFormatDescription(ConstructionToken, const AudioStreamBasicDescription& description)
        : description_(description) {}

private:
    AudioStreamBasicDescription description_;
};

}  // namespace Media
