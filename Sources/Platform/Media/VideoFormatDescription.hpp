// The format of an HEVC video stream: its parameter sets, the size of each NAL unit's length
// prefix in the access units, the picture size read from the parameter sets, and the hvcC
// configuration records for decoding and for movie files.
#pragma once

#include "Media/FormatDescription.hpp"
#include "Media/HevcConfigurationRecord.hpp"
#include "Media/MediaBytes.hpp"
#include "Media/MediaStatus.hpp"
#include "Media/NalUnitLengthPrefixes.hpp"

#include <cstdint>
#include <span>

namespace Media {

struct VideoDimensions {
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const VideoDimensions&, const VideoDimensions&) = default;
};

class VideoFormatDescription final : public FormatDescription {
    struct ConstructionToken {};

public:
    // parameterSets: the stream's VPS, SPS and PPS NAL units (raw, without start codes or
    // length prefixes), in the order the phone sent them; nalUnitHeaderLength: 1...4.
    // Fails with invalidFormatParameter for an empty list, a length outside 1...4, a unit that
    // is not a VPS, SPS or PPS, or a missing VPS, SPS or PPS; with unreadableParameterSets when
    // the HEVC decoder cannot make a picture size of them.
    static Created<const VideoFormatDescription> makeFromHevcParameterSets(std::span<const Bytes> parameterSets,
                                                                           int nalUnitHeaderLength);

    MediaType mediaType() const override { return MediaType::video; }

    const std::vector<Bytes>& parameterSets() const { return parameterSets_; }
    int nalUnitHeaderLength() const { return nalUnitHeaderLength_; }
    // Displayed picture size (after the SPS's conformance cropping), e.g. 1920x1080.
    VideoDimensions dimensions() const { return dimensions_; }
    const HevcPictureTraits& pictureTraits() const { return traits_; }

    // hvcC whose length size is nalUnitHeaderLength(), for libavcodec's decoder together with
    // the access units exactly as received (libavcodec also reads a length size of 3).
    const Bytes& decoderConfigurationRecord() const { return decoderRecord_; }

    // Movie files allow length prefixes of 1, 2 or 4 bytes only: 3-byte prefixes must be widened
    // to 4 (see resizeNalUnitLengthPrefixes) before the access units are written, and this hvcC
    // says movieNalUnitHeaderLength().
    int movieNalUnitHeaderLength() const { return movieNalUnitHeaderLengthFor(nalUnitHeaderLength_); }
    const Bytes& movieConfigurationRecord() const { return movieRecord_; }

    // Same parameter sets, byte for byte and in the same order, and the same length size.
    friend bool operator==(const VideoFormatDescription& left, const VideoFormatDescription& right) {
        return left.nalUnitHeaderLength_ == right.nalUnitHeaderLength_ && left.parameterSets_ == right.parameterSets_;
    }

    VideoFormatDescription(ConstructionToken, std::vector<Bytes> parameterSets, int nalUnitHeaderLength,
                           VideoDimensions dimensions, HevcPictureTraits traits, Bytes decoderRecord,
                           Bytes movieRecord);

private:
    std::vector<Bytes> parameterSets_;
    int nalUnitHeaderLength_;
    VideoDimensions dimensions_;
    HevcPictureTraits traits_;
    Bytes decoderRecord_;
    Bytes movieRecord_;
};

}  // namespace Media
