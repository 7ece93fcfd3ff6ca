// Conversions between the two ways HEVC NAL units are delimited: Annex B start codes (what
// encoders write) and big-endian length prefixes (what the phone sends on the wire).
#pragma once

#include "UmberlinWire/WireProtocol.hpp"

#include <cstdint>
#include <vector>

namespace UmberlinTools {

// The NAL units of an Annex B byte stream, without their start codes (00 00 01 or 00 00 00 01).
// Bytes before the first start code are ignored; empty units are skipped. The views point into
// `stream`.
std::vector<UmberlinWire::ByteView> splitAnnexB(UmberlinWire::ByteView stream);

// HEVC NAL unit type (0...63) from the first byte of the unit's two-byte header.
int hevcNalUnitType(UmberlinWire::ByteView nalUnit);

inline constexpr int hevcVpsNalUnitType = 32;
inline constexpr int hevcSpsNalUnitType = 33;
inline constexpr int hevcPpsNalUnitType = 34;

// True for VPS, SPS and PPS units.
bool isHevcParameterSet(UmberlinWire::ByteView nalUnit);

// The NAL units of an access unit whose units each follow their length in `prefixLength` (1...4)
// big-endian bytes; the views point into `accessUnit`. Throws std::invalid_argument when a length
// runs past the end.
std::vector<UmberlinWire::ByteView> splitLengthPrefixed(UmberlinWire::ByteView accessUnit, int prefixLength);

// Appends `nalUnit` to `accessUnit` behind its length in `prefixLength` (1...4) big-endian bytes.
// Throws std::length_error when the unit is too long for the prefix, and std::invalid_argument
// for a prefix length outside 1...4.
void appendLengthPrefixed(UmberlinWire::Bytes& accessUnit, UmberlinWire::ByteView nalUnit, int prefixLength);

}  // namespace UmberlinTools
