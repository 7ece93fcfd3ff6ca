// Reads the picture size and sampling of an HEVC stream from its configuration record by
// opening libavcodec's HEVC decoder with the record as extradata: once opened, the decoder has
// parsed the parameter sets, so no SPS parser of our own is needed.
#pragma once

#include "Media/HevcConfigurationRecord.hpp"
#include "Media/MediaBytes.hpp"

#include <cstdint>
#include <optional>

namespace Media {

struct HevcStreamFacts {
    std::int32_t width = 0;  // displayed (cropped) size
    std::int32_t height = 0;
    HevcPictureTraits traits;
};

// Nothing when the decoder rejects the record or reports no picture size.
std::optional<HevcStreamFacts> probeHevcStream(ByteView configurationRecord);

}  // namespace Media
