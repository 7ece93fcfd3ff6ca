#include "Media/HevcConfigurationRecord.hpp"

#include <array>
#include <cstddef>

namespace Media {

namespace {

// Bytes of the SPS, after its two-byte NAL header, that open with the general profile, tier and
// level: one byte of VPS id / sub-layer count / nesting flag, then twelve bytes of
// profile_space+tier+profile_idc (1), compatibility flags (4), constraint flags (6), level (1).
constexpr std::size_t spsLayerByte = 2;
constexpr std::size_t spsProfileTierLevelStart = 3;
constexpr std::size_t profileTierLevelLength = 12;

void appendBigEndian(Bytes& out, std::uint32_t value, int byteCount) {
    for (int shift = 8 * (byteCount - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

}  // namespace

int hevcNalUnitType(ByteView nalUnit) {
    if (nalUnit.size() < 2) {
        return -1;
    }
    return (nalUnit[0] >> 1) & 0x3f;
}

Bytes removeEmulationPrevention(ByteView nalUnit) {
    Bytes payload;
    payload.reserve(nalUnit.size());
    int zeros = 0;
    for (const std::uint8_t byte : nalUnit) {
        if (zeros >= 2 && byte == 0x03) {
            zeros = 0;
            continue;
        }
        zeros = byte == 0 ? zeros + 1 : 0;
        payload.push_back(byte);
    }
    return payload;
}

std::optional<Bytes> makeHevcConfigurationRecord(std::span<const Bytes> parameterSets, int lengthSize,
                                                 const HevcPictureTraits& traits) {
    if (lengthSize < 1 || lengthSize > 4) {
        return std::nullopt;
    }
    constexpr std::array<int, 3> arrayTypes{hevcVpsNalUnitType, hevcSpsNalUnitType, hevcPpsNalUnitType};
    std::array<std::vector<const Bytes*>, 3> arrays;
    for (const Bytes& unit : parameterSets) {
        const int type = hevcNalUnitType(unit);
        if (type < hevcVpsNalUnitType || type > hevcPpsNalUnitType || unit.size() > 0xffff) {
            return std::nullopt;
        }
        arrays[static_cast<std::size_t>(type - hevcVpsNalUnitType)].push_back(&unit);
    }
    for (const auto& units : arrays) {
        if (units.empty() || units.size() > 0xffff) {
            return std::nullopt;
        }
    }
    const Bytes sps = removeEmulationPrevention(*arrays[1].front());
    if (sps.size() < spsProfileTierLevelStart + profileTierLevelLength) {
        return std::nullopt;
    }
    const int maxSubLayersMinus1 = (sps[spsLayerByte] >> 1) & 0x07;
    const int temporalIdNested = sps[spsLayerByte] & 0x01;

    Bytes record;
    record.push_back(1);  // configurationVersion
    record.insert(record.end(), sps.begin() + spsProfileTierLevelStart,
                  sps.begin() + spsProfileTierLevelStart + profileTierLevelLength);
    appendBigEndian(record, 0xf000, 2);  // reserved bits, min_spatial_segmentation_idc 0
    record.push_back(0xfc);              // reserved bits, parallelismType 0 (unknown)
    record.push_back(static_cast<std::uint8_t>(0xfc | (traits.chromaFormatIdc & 0x03)));
    record.push_back(static_cast<std::uint8_t>(0xf8 | ((traits.bitDepthLuma - 8) & 0x07)));
    record.push_back(static_cast<std::uint8_t>(0xf8 | ((traits.bitDepthChroma - 8) & 0x07)));
    appendBigEndian(record, 0, 2);  // avgFrameRate: unspecified
    record.push_back(static_cast<std::uint8_t>(((maxSubLayersMinus1 + 1) << 3) | (temporalIdNested << 2) |
                                               (lengthSize - 1)));  // constantFrameRate 0
    record.push_back(static_cast<std::uint8_t>(arrays.size()));
    for (std::size_t index = 0; index < arrays.size(); ++index) {
        record.push_back(static_cast<std::uint8_t>(0x80 | arrayTypes[index]));  // array_completeness 1
        appendBigEndian(record, static_cast<std::uint32_t>(arrays[index].size()), 2);
        for (const Bytes* unit : arrays[index]) {
            appendBigEndian(record, static_cast<std::uint32_t>(unit->size()), 2);
            record.insert(record.end(), unit->begin(), unit->end());
        }
    }
    return record;
}

}  // namespace Media
