// Real HEVC streams for the media tests: encoded by libx265 through the tools' encoder, and
// decoded by libavcodec to check what a configuration record lets a decoder do.
#pragma once

#include "Media/MediaBytes.hpp"
#include "MediaSupport/HevcEncoder.hpp"

#include <optional>
#include <vector>

namespace MediaTests {

struct EncodedStream {
    std::vector<Media::Bytes> parameterSets;  // VPS, SPS, PPS
    std::vector<UmberlinTools::EncodedFrame> frames;
};

// `frameCount` frames of a moving gradient (0 gives the parameter sets only).
EncodedStream encodeStream(const UmberlinTools::HevcEncoderSettings& settings, int frameCount);

struct DecodedPicture {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
};

// Opens libavcodec's HEVC decoder with `configurationRecord` as extradata, sends the access
// units and returns the first picture that comes out; nothing when none does.
std::optional<DecodedPicture> decodeFirstPicture(Media::ByteView configurationRecord,
                                                 const std::vector<Media::Bytes>& accessUnits);

}  // namespace MediaTests
