// HEVC access units as the phone sends them: NAL units, each behind its length as a 1- to 4-byte
// big-endian number. Movie files allow 1-, 2- and 4-byte lengths only.
#pragma once

#include "Media/MediaBytes.hpp"

#include <optional>

namespace Media {

// The length size a movie file uses for a stream with `nalUnitHeaderLength`-byte prefixes:
// the same, except 3 becomes 4.
constexpr int movieNalUnitHeaderLengthFor(int nalUnitHeaderLength) {
    return nalUnitHeaderLength == 3 ? 4 : nalUnitHeaderLength;
}

// The access unit with every length prefix rewritten from `fromLength` to `toLength` bytes
// (both 1...4); the NAL units themselves stay byte for byte. Gives nothing when the access
// unit does not split exactly into prefixed units, or a unit is too long for the new size.
std::optional<Bytes> resizeNalUnitLengthPrefixes(ByteView accessUnit, int fromLength, int toLength);

}  // namespace Media
