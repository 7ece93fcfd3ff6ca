#include "MediaSupport/AnnexBUnits.hpp"
#include "MediaSupport/HevcEncoder.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace UmberlinTools {
namespace {

using UmberlinWire::Bytes;

// Walks an access unit's length prefixes; returns the NAL unit types, or fails the test when a
// length runs past the end.
std::vector<int> nalUnitTypes(const Bytes& accessUnit, int prefixLength) {
    std::vector<int> types;
    std::size_t offset = 0;
    while (offset < accessUnit.size()) {
        EXPECT_LE(offset + prefixLength, accessUnit.size());
        if (offset + prefixLength > accessUnit.size()) {
            break;
        }
        std::size_t length = 0;
        for (int index = 0; index < prefixLength; ++index) {
            length = (length << 8) | accessUnit[offset + index];
        }
        offset += prefixLength;
        EXPECT_GT(length, 0u);
        EXPECT_LE(offset + length, accessUnit.size());
        if (length == 0 || offset + length > accessUnit.size()) {
            break;
        }
        types.push_back(hevcNalUnitType(UmberlinWire::ByteView(accessUnit).subspan(offset, length)));
        offset += length;
    }
    return types;
}

void paintGrey(PlanarPicture& picture, int shade) {
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? picture.height : (picture.height + 1) / 2;
        const int columns = plane == 0 ? picture.width : (picture.width + 1) / 2;
        for (int row = 0; row < rows; ++row) {
            std::uint8_t* line = picture.planes[plane] + static_cast<std::ptrdiff_t>(row) * picture.strides[plane];
            for (int column = 0; column < columns; ++column) {
                const int value = plane == 0 ? shade : 128;
                if (picture.bytesPerSample == 1) {
                    line[column] = static_cast<std::uint8_t>(value);
                } else {
                    const int wide = value << 2;
                    line[2 * column] = static_cast<std::uint8_t>(wide & 0xff);
                    line[2 * column + 1] = static_cast<std::uint8_t>(wide >> 8);
                }
            }
        }
    }
}

std::vector<EncodedFrame> encodeFrames(HevcEncoder& encoder, int count) {
    std::vector<EncodedFrame> frames;
    for (int index = 0; index < count; ++index) {
        paintGrey(encoder.nextPicture(), 40 + 20 * index);
        for (auto& frame : encoder.encode(1'000'000'000LL + index * 33'333'333LL)) {
            frames.push_back(std::move(frame));
        }
    }
    for (auto& frame : encoder.flush()) {
        frames.push_back(std::move(frame));
    }
    return frames;
}

TEST(HevcEncoder, GivesVpsSpsPpsAndLengthPrefixedFramesWithoutParameterSets) {
    HevcEncoder encoder({.width = 320, .height = 180, .keyFrameInterval = 3, .nalUnitHeaderLength = 4});
    ASSERT_EQ(encoder.parameterSets().size(), 3u);
    EXPECT_EQ(hevcNalUnitType(encoder.parameterSets()[0]), hevcVpsNalUnitType);
    EXPECT_EQ(hevcNalUnitType(encoder.parameterSets()[1]), hevcSpsNalUnitType);
    EXPECT_EQ(hevcNalUnitType(encoder.parameterSets()[2]), hevcPpsNalUnitType);

    const auto frames = encodeFrames(encoder, 4);
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t index = 0; index < frames.size(); ++index) {
        EXPECT_EQ(frames[index].presentationTimeNanoseconds,
                  1'000'000'000LL + static_cast<std::int64_t>(index) * 33'333'333LL);
        EXPECT_EQ(frames[index].keyFrame, index % 3 == 0) << index;
        const auto types = nalUnitTypes(frames[index].accessUnit, 4);
        EXPECT_FALSE(types.empty());
        for (const int type : types) {
            EXPECT_TRUE(type < hevcVpsNalUnitType || type > hevcPpsNalUnitType) << type;
        }
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
