#pragma once
// Turns the phone's configurations and media payloads into format descriptions and
// ready-to-use sample buffers. Each throws NetworkCameraError.

#include <cstdint>
#include <memory>

#include "Media/AudioFormatDescription.hpp"
#include "Media/SampleBuffer.hpp"
#include "Media/VideoFormatDescription.hpp"
#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

// The HEVC format of a video configuration: its parameter sets in the order received and
// its NAL unit length prefix size (1...4).
std::shared_ptr<const Media::VideoFormatDescription> makeFormatDescription(
    const UmberlinWire::VideoConfiguration& configuration);

// One access unit exactly as received (copied once, into the buffer's own block), lasting
// one frame at `framesPerSecond` (below 1 counts as 1), shown as soon as decoded and
// marked not-sync unless it is a key frame. Times beyond the signed 64-bit range are clamped.
Media::SampleBufferRef makeSampleBuffer(UmberlinWire::ByteView payload,
                                        const std::shared_ptr<const Media::VideoFormatDescription>& formatDescription,
                                        std::uint64_t presentationTimeNanoseconds, std::int64_t framesPerSecond,
                                        bool isKeyFrame);

// Interleaved signed 16-bit little-endian PCM at 8000...192000 Hz with 1...8 channels.
std::shared_ptr<const Media::AudioFormatDescription> makeAudioFormatDescription(
    const UmberlinWire::AudioConfiguration& configuration);

// The whole frames of one audio payload (copied once), starting at the presentation time.
Media::SampleBufferRef makeAudioSampleBuffer(
    UmberlinWire::ByteView payload, const UmberlinWire::AudioConfiguration& configuration,
    const std::shared_ptr<const Media::AudioFormatDescription>& formatDescription,
    std::uint64_t presentationTimeNanoseconds);

}  // namespace Quillfen
