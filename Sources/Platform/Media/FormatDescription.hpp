// What the samples of a sample buffer are: HEVC video or linear-PCM audio. Descriptions are
// immutable and shared (std::shared_ptr<const ...>) between buffers, threads and owners.
#pragma once

namespace Media {

enum class MediaType { video, audio };

class FormatDescription {
public:
    virtual ~FormatDescription() = default;
    virtual MediaType mediaType() const = 0;

protected:
    FormatDescription() = default;
    FormatDescription(const FormatDescription&) = default;
    FormatDescription& operator=(const FormatDescription&) = default;
};

}  // namespace Media
