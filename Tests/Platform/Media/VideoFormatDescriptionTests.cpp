#include "Media/VideoFormatDescription.hpp"
#include "MediaSupport/HevcEncoder.hpp"

#include <gtest/gtest.h>

namespace Media {
namespace {

std::vector<Bytes> parameterSetsFor(const UmberlinTools::HevcEncoderSettings& settings) {
    return UmberlinTools::HevcEncoder(settings).parameterSets();
}

const std::vector<Bytes>& fullHdParameterSets() {
    static const auto parameterSets = parameterSetsFor({.width = 1920, .height = 1080});
    return parameterSets;
}

Created<const VideoFormatDescription> describe(const std::vector<Bytes>& parameterSets, int nalUnitHeaderLength = 4) {
    return VideoFormatDescription::makeFromHevcParameterSets(parameterSets, nalUnitHeaderLength);
}

TEST(VideoFormatDescription, ReadsPictureSizeAndSamplingFromRealParameterSets) {
    struct Case {
        UmberlinTools::HevcEncoderSettings settings;
        int chromaFormat;
    };
    const std::vector<Case> cases{
        {{.width = 1920, .height = 1080}, 1},
        {{.width = 3840, .height = 2160}, 1},
        {{.width = 1280, .height = 720, .bitDepth = 10}, 1},
        {{.width = 640, .height = 360}, 1},
        {{.width = 202, .height = 98}, 1},  // not a multiple of the coding block size either way
    };
    for (const auto& [settings, chromaFormat] : cases) {
        const auto parameterSets = settings.width == 1920 ? fullHdParameterSets() : parameterSetsFor(settings);
        const auto created = describe(parameterSets);
        ASSERT_TRUE(created.succeeded()) << settings.width << "x" << settings.height << " status " << created.status;
        EXPECT_EQ(created.status, StatusCode::success);
        EXPECT_EQ(created.object->mediaType(), MediaType::video);
        EXPECT_EQ(created.object->dimensions(), (VideoDimensions{settings.width, settings.height}));
        EXPECT_EQ(created.object->pictureTraits(),
                  (HevcPictureTraits{chromaFormat, settings.bitDepth, settings.bitDepth}));
        EXPECT_EQ(created.object->parameterSets(), parameterSets);
    }

    // The parameter sets are kept as received, in whatever order.
    const auto& sets = fullHdParameterSets();
    const std::vector<Bytes> reordered{sets[1], sets[0], sets[2]};
    const auto created = describe(reordered);
    ASSERT_TRUE(created.succeeded());
    EXPECT_EQ(created.object->parameterSets(), reordered);
}

TEST(VideoFormatDescription, RejectsWhatIsNotAnHevcConfigurationWithAStatus) {
    const auto& sets = fullHdParameterSets();
    const Bytes h264Sps{0x67, 0x64, 0x00, 0x28, 0xac, 0xd9, 0x40, 0x78};
    const Bytes idrSlice{0x26, 0x01, 0xaf, 0x00};
    Bytes forbiddenBitSps = sets[1];
    forbiddenBitSps[0] |= 0x80;
    const std::vector<std::pair<const char*, std::vector<Bytes>>> invalid{
        {"no parameter sets", {}},
        {"an empty unit", {sets[0], Bytes{}, sets[2]}},
        {"an H.264 SPS", {sets[0], h264Sps, sets[2]}},
        {"a slice among the parameter sets", {sets[0], sets[1], sets[2], idrSlice}},
        {"no SPS", {sets[0], sets[2]}},
        {"no PPS", {sets[0], sets[1]}},
        {"forbidden bit set", {sets[0], forbiddenBitSps, sets[2]}},
        {"an SPS too short for its profile", {sets[0], Bytes{0x42, 0x01, 0x01, 0x01}, sets[2]}},
        {"garbage", {Bytes{0xde, 0xad, 0xbe, 0xef}}},
    };
    for (const auto& [what, parameterSets] : invalid) {
        const auto created = describe(parameterSets);
        EXPECT_EQ(created.status, StatusCode::invalidFormatParameter) << what;
        EXPECT_EQ(created.object, nullptr) << what;
    }
    for (const int length : {0, 5, -1}) {
        EXPECT_EQ(describe(sets, length).status, StatusCode::invalidFormatParameter) << length;
    }
}

TEST(VideoFormatDescription, ReportsParameterSetsTheDecoderCannotRead) {
    const auto& sets = fullHdParameterSets();
    Bytes scrambledSps = sets[1];
    for (std::size_t index = 15; index < scrambledSps.size(); ++index) {
        scrambledSps[index] = 0xff;
    }
    Bytes scrambledVps(sets[0].begin(), sets[0].begin() + 4);
    for (const auto& parameterSets :
         {std::vector<Bytes>{sets[0], scrambledSps, sets[2]}, std::vector<Bytes>{scrambledVps, sets[1], sets[2]}}) {
        const auto created = describe(parameterSets);
        EXPECT_NE(created.status, StatusCode::success);
        EXPECT_EQ(created.object, nullptr);
    }
}

TEST(VideoFormatDescription, EqualWhenParameterSetsAndLengthSizeMatch) {
    const auto& sets = fullHdParameterSets();
    const auto first = describe(sets, 4);
    const auto second = describe(sets, 4);
    const auto shortPrefixes = describe(sets, 2);
    const auto other = describe(parameterSetsFor({.width = 640, .height = 360}), 4);
    ASSERT_TRUE(first.succeeded() && second.succeeded() && shortPrefixes.succeeded() && other.succeeded());
    EXPECT_EQ(*first.object, *second.object);
    EXPECT_FALSE(*first.object == *shortPrefixes.object);
    EXPECT_FALSE(*first.object == *other.object);
}

}  // namespace
}  // namespace Media
