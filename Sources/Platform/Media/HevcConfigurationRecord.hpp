// The HEVC decoder configuration record ("hvcC", ISO/IEC 14496-15): the parameter sets plus the
// stream facts a decoder or a movie file needs before the first frame. libavcodec's HEVC
// decoder takes it as extradata (with length-prefixed packets), and the movie muxer writes it
// unchanged into the file.
#pragma once

#include "Media/MediaBytes.hpp"

#include <optional>
#include <span>

namespace Media {

inline constexpr int hevcVpsNalUnitType = 32;
inline constexpr int hevcSpsNalUnitType = 33;
inline constexpr int hevcPpsNalUnitType = 34;

// HEVC NAL unit type (0...63) from the unit's two-byte header; -1 for a unit shorter than that.
int hevcNalUnitType(ByteView nalUnit);

// The unit with every emulation-prevention byte (the 03 of 00 00 03) removed.
Bytes removeEmulationPrevention(ByteView nalUnit);

// Sampling facts the record carries that only a decoder (or a full SPS parser) can tell.
struct HevcPictureTraits {
    int chromaFormatIdc = 1;  // 0 monochrome, 1 4:2:0, 2 4:2:2, 3 4:4:4
    int bitDepthLuma = 8;
    int bitDepthChroma = 8;

    friend bool operator==(const HevcPictureTraits&, const HevcPictureTraits&) = default;
};

// Builds the record. The parameter sets (VPS, SPS, PPS units, each at most 65535 bytes) are
// grouped into one array per type, VPS then SPS then PPS, keeping their order within a type,
// each array marked complete. Profile, tier, level and constraint flags, the temporal layer
// count and nesting flag come from the first SPS. lengthSize (1...4) is written as
// lengthSizeMinusOne; movie files accept only 1, 2 and 4. Gives nothing when a unit is not a
// parameter set, a VPS, SPS or PPS is missing, a unit is too long, or the SPS is too short.
std::optional<Bytes> makeHevcConfigurationRecord(std::span<const Bytes> parameterSets, int lengthSize,
                                                 const HevcPictureTraits& traits);

}  // namespace Media
