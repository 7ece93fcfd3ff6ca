// A sample buffer: media samples (one HEVC access unit, or many PCM frames) with their format,
// timing and per-sample attachments. Buffers are handed between threads as
// std::shared_ptr<const SampleBuffer> and share their bytes: copies with new timing never copy
// the payload. The creator sets attachments before handing a buffer on; after that, nobody
// changes it.
#pragma once

#include "Media/AudioFormatDescription.hpp"
#include "Media/BlockBuffer.hpp"
#include "Media/FormatDescription.hpp"
#include "Media/MediaStatus.hpp"
#include "Media/MediaTime.hpp"
#include "Media/VideoFormatDescription.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace Media {

struct SampleTimingInfo {
    MediaTime duration;
    MediaTime presentationTimeStamp;
    MediaTime decodeTimeStamp;
};

// One sample's attachments; an empty optional means the key is absent.
struct SampleAttachments {
    std::optional<bool> displayImmediately;  // show as soon as decoded, ignoring the time stamp
    std::optional<bool> notSync;             // true: not a key frame (needs earlier frames to decode)

    friend bool operator==(const SampleAttachments&, const SampleAttachments&) = default;
};

class SampleBuffer;
using SampleBufferRef = std::shared_ptr<const SampleBuffer>;

class SampleBuffer {
    struct ConstructionToken {};

public:
    // sampleCount >= 1 samples stored one after another in `dataBuffer`. `timing` and
    // `sampleSizes` each hold no entry, one entry that applies to every sample (sample i then
    // starts at presentation time + i x duration), or one entry per sample. The format may be
    // absent. Fails with missingDataBuffer, invalidEntryCount, or sizesExceedData when the
    // samples need more bytes than the block holds.
    static Created<SampleBuffer> makeReady(std::shared_ptr<const BlockBuffer> dataBuffer,
                                           std::shared_ptr<const FormatDescription> formatDescription,
                                           std::int64_t sampleCount, std::span<const SampleTimingInfo> timing,
                                           std::span<const std::size_t> sampleSizes);

    // The same samples, format and bytes (shared, not copied) and a copy of the attachments,
    // with `timing` (entry counts as for makeReady) in place of the old timing.
    Created<SampleBuffer> makeCopyWithNewTiming(std::span<const SampleTimingInfo> timing) const;

    const std::shared_ptr<const BlockBuffer>& dataBuffer() const { return dataBuffer_; }
    const std::shared_ptr<const FormatDescription>& formatDescription() const { return formatDescription_; }
    // The format as video or audio; nothing when the buffer holds the other kind or none.
    std::shared_ptr<const VideoFormatDescription> videoFormatDescription() const;
    std::shared_ptr<const AudioFormatDescription> audioFormatDescription() const;

    std::int64_t sampleCount() const { return sampleCount_; }
    // Earliest presentation time of the samples; invalid without timing.
    MediaTime presentationTimeStamp() const;
    // Decode time of the first sample; invalid without timing.
    MediaTime decodeTimeStamp() const;
    // Total duration of all samples; invalid without timing or when a duration is invalid.
    MediaTime duration() const;
    // Timing of sample `index`: sampleIndexOutOfRange, noSampleTiming, or timeNotRepresentable
    // when a shared entry's time for a late sample overflows; `timing` is left alone on failure.
    Status sampleTimingInfo(std::int64_t index, SampleTimingInfo& timing) const;

    // Size of sample `index` in bytes; 0 when out of range or when the buffer carries no sizes.
    std::size_t sampleSize(std::int64_t index) const;
    std::size_t totalSampleSize() const;

    // Whether the first sample decodes without earlier ones: the key-frame mark every consumer
    // reads. True unless the first sample's attachments say notSync (audio samples never do).
    bool isKeyFrame() const;

    // One entry per sample. Without createIfNecessary, nothing until someone created them.
    std::vector<SampleAttachments>* sampleAttachments(bool createIfNecessary);
    const std::vector<SampleAttachments>* sampleAttachments() const;

    SampleBuffer(ConstructionToken, std::shared_ptr<const BlockBuffer> dataBuffer,
                 std::shared_ptr<const FormatDescription> formatDescription, std::int64_t sampleCount,
                 std::vector<SampleTimingInfo> timing, std::vector<std::size_t> sampleSizes,
                 std::optional<std::vector<SampleAttachments>> attachments);

private:
    std::shared_ptr<const BlockBuffer> dataBuffer_;
    std::shared_ptr<const FormatDescription> formatDescription_;
    std::int64_t sampleCount_;
    std::vector<SampleTimingInfo> timing_;
    std::vector<std::size_t> sampleSizes_;
    std::optional<std::vector<SampleAttachments>> attachments_;
};

}  // namespace Media
