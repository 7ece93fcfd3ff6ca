#pragma once
// Pure helpers of the recorder: the rotation of the video track, its display transform, the AAC
// settings for the phone's audio, and the timing-only copy of a buffer on the movie's time line.

#include <memory>

#include "Media/AudioFormatDescription.hpp"
#include "Media/MediaTime.hpp"
#include "Media/SampleBuffer.hpp"
#include "Media/VideoFormatDescription.hpp"
#include "MovieWriter/MovieWriter.hpp"
#include "Session/MonitorModels.hpp"  // normalizedRotation

namespace Quillfen {

// The track transform that shows a `dimensions` picture turned clockwise by `rotation` (0, 90,
// 180 or 270; anything else is no turn), translated back into the positive quadrant.
UmberlinPlatform::AffineTransform videoTransform(int rotation, Media::VideoDimensions dimensions);

// AAC at the source rate and channel count: 128 kb/s for mono, 192 kb/s for two or more
// channels. Throws RecordingError missingAudioFormat without a description.
UmberlinPlatform::AacOutputSettings audioOutputSettings(
    const std::shared_ptr<const Media::AudioFormatDescription>& format);

// The buffer with `offset` subtracted from its presentation (and valid decode) time, bytes
// shared, without the display-immediately attachment (that is for the live preview only).
// Throws RecordingError cannotRebaseSample with the media status, or invalidTimestamp.
Media::SampleBufferRef rebasedSampleBuffer(const Media::SampleBuffer& buffer, const Media::MediaTime& offset);

}  // namespace Quillfen
