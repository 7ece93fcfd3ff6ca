#include "MediaSupport/AnnexBUnits.hpp"
#include "MediaSupport/HevcEncoder.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace UmberlinTools {
namespace {

using UmberlinWire::Bytes;

// The NAL unit types of a length-prefixed access unit; fails the test when a length runs past
// the end.
std::vector<int> nalUnitTypes(const Bytes& accessUnit, int prefixLength) {
    std::vector<int> types;
    for (std::size_t offset = 0; offset < accessUnit.size();) {
        std::size_t length = 0;
        for (int index = 0; index < prefixLength && offset < accessUnit.size(); ++index)
            length = (length << 8) | accessUnit[offset++];
        if (length == 0 || offset + length > accessUnit.size()) {
            ADD_FAILURE() << "a unit of " << length << " bytes at " << offset;
            break;
        }
        types.push_back(hevcNalUnitType(UmberlinWire::ByteView(accessUnit).subspan(offset, length)));
        offset += length;
    }
    return types;
}

TEST(HevcEncoder, GivesVpsSpsPpsApartAndLengthPrefixedFramesKeyedAtTheInterval) {
    HevcEncoder encoder({.width = 320, .height = 180, .keyFrameInterval = 3, .nalUnitHeaderLength = 4});
    ASSERT_EQ(encoder.parameterSets().size(), 3u);
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(hevcNalUnitType(encoder.parameterSets()[index]), hevcVpsNalUnitType + index);

    std::vector<EncodedFrame> frames;
    for (std::int64_t index = 0; index < 4; ++index)
        for (auto& frame : encoder.encode(1'000'000'000LL + index * 33'333'333LL)) frames.push_back(std::move(frame));
    for (auto& frame : encoder.flush()) frames.push_back(std::move(frame));
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t index = 0; index < frames.size(); ++index) {
        EXPECT_EQ(frames[index].presentationTimeNanoseconds,
                  1'000'000'000LL + static_cast<std::int64_t>(index) * 33'333'333LL);
        EXPECT_EQ(frames[index].keyFrame, index % 3 == 0) << index;
        const auto types = nalUnitTypes(frames[index].accessUnit, 4);
        EXPECT_FALSE(types.empty());
        for (const int type : types) EXPECT_TRUE(type < hevcVpsNalUnitType || type > hevcPpsNalUnitType) << type;
    }
}

TEST(HevcEncoder, RejectsSettingsItCannotHonour) {
    EXPECT_THROW(HevcEncoder({.bitDepth = 12}), std::invalid_argument);
    EXPECT_THROW(HevcEncoder({.nalUnitHeaderLength = 0}), std::invalid_argument);
    EXPECT_THROW(HevcEncoder({.width = 641}), std::invalid_argument);
    EXPECT_THROW(HevcEncoder({.framesPerSecond = 0}), std::invalid_argument);
}

}  // namespace
}  // namespace UmberlinTools
