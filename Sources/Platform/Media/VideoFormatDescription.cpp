#include "Media/VideoFormatDescription.hpp"

#include "Media/HevcStreamProbe.hpp"
#include "Media/NalUnitLengthPrefixes.hpp"

#include <new>

namespace Media {

namespace {

bool isParameterSet(const Bytes& unit) {
    const int type = hevcNalUnitType(unit);
    const bool forbiddenBitClear = !unit.empty() && (unit[0] & 0x80) == 0;
    return forbiddenBitClear && type >= hevcVpsNalUnitType && type <= hevcPpsNalUnitType;
}

}  // namespace

VideoFormatDescription::VideoFormatDescription(ConstructionToken, std::vector<Bytes> parameterSets,
                                               int nalUnitHeaderLength, VideoDimensions dimensions,
                                               HevcPictureTraits traits, Bytes decoderRecord, Bytes movieRecord)
    : parameterSets_(std::move(parameterSets)),
      nalUnitHeaderLength_(nalUnitHeaderLength),
      dimensions_(dimensions),
      traits_(traits),
      decoderRecord_(std::move(decoderRecord)),
      movieRecord_(std::move(movieRecord)) {}

Created<const VideoFormatDescription> VideoFormatDescription::makeFromHevcParameterSets(
    std::span<const Bytes> parameterSets, int nalUnitHeaderLength) {
    using Result = const VideoFormatDescription;
    if (parameterSets.empty() || nalUnitHeaderLength < 1 || nalUnitHeaderLength > 4) {
        return createdFailure<Result>(StatusCode::invalidFormatParameter);
    }
    for (const Bytes& unit : parameterSets) {
        if (!isParameterSet(unit)) {
            return createdFailure<Result>(StatusCode::invalidFormatParameter);
        }
    }
    // The decoder reads only the arrays and the length size, so default traits do for probing.
    const auto probeRecord = makeHevcConfigurationRecord(parameterSets, nalUnitHeaderLength, HevcPictureTraits{});
    if (!probeRecord) {
        return createdFailure<Result>(StatusCode::invalidFormatParameter);
    }
    const auto facts = probeHevcStream(*probeRecord);
    if (!facts) {
        return createdFailure<Result>(StatusCode::unreadableParameterSets);
    }
    auto decoderRecord = makeHevcConfigurationRecord(parameterSets, nalUnitHeaderLength, facts->traits);
    auto movieRecord =
        makeHevcConfigurationRecord(parameterSets, movieNalUnitHeaderLengthFor(nalUnitHeaderLength), facts->traits);
    try {
        return {StatusCode::success,
                std::make_shared<Result>(ConstructionToken{},
                                         std::vector<Bytes>(parameterSets.begin(), parameterSets.end()),
                                         nalUnitHeaderLength, VideoDimensions{facts->width, facts->height},
                                         facts->traits, std::move(*decoderRecord), std::move(*movieRecord))};
    } catch (const std::bad_alloc&) {
        return createdFailure<Result>(StatusCode::formatAllocationFailed);
    }
}

}  // namespace Media
