#include "MediaSupport/AnnexBUnits.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace UmberlinTools {
namespace {

using UmberlinWire::Bytes;

std::vector<Bytes> toBytes(const std::vector<UmberlinWire::ByteView>& units) {
    std::vector<Bytes> result;
    for (const auto unit : units) {
        result.emplace_back(unit.begin(), unit.end());
    }
    return result;
}

TEST(AnnexBSplitting, SplitsThreeAndFourByteStartCodesAndDropsPadding) {
    const Bytes stream{0, 0, 0, 1,    0x40, 0x01, 0x0c,         // VPS behind a four-byte start code
                       0, 0, 1, 0x42, 0x01, 0x00, 0x03,         // SPS behind a three-byte code; 00 03 stays
                       0, 0, 0, 0,    1,    0x44, 0x01, 0xc1};  // padding zeros before the PPS's code
    EXPECT_EQ(toBytes(splitAnnexB(stream)),
              (std::vector<Bytes>{{0x40, 0x01, 0x0c}, {0x42, 0x01, 0x00, 0x03}, {0x44, 0x01, 0xc1}}));
}

TEST(AnnexBSplitting, IgnoresLeadingBytesEmptyUnitsAndStreamsWithoutStartCodes) {
    EXPECT_TRUE(splitAnnexB(Bytes{}).empty());
    EXPECT_TRUE(splitAnnexB(Bytes{0x40, 0x01, 0x0c}).empty());
    EXPECT_TRUE(splitAnnexB(Bytes{0, 0, 1}).empty());
    const Bytes stream{0x99, 0, 0, 1, 0, 0, 1, 0x26, 0x01, 0xaf, 0, 0, 1};
    EXPECT_EQ(toBytes(splitAnnexB(stream)), (std::vector<Bytes>{{0x26, 0x01, 0xaf}}));
}

TEST(LengthPrefixing, RejectsUnitsTooLongForTheirPrefixAndBadPrefixSizes) {
    Bytes accessUnit;
    appendLengthPrefixed(accessUnit, Bytes(255, 0), 1);
    EXPECT_THROW(appendLengthPrefixed(accessUnit, Bytes(256, 0), 1), std::length_error);
    appendLengthPrefixed(accessUnit, Bytes(65535, 0), 2);
    EXPECT_THROW(appendLengthPrefixed(accessUnit, Bytes(65536, 0), 2), std::length_error);
    EXPECT_THROW(appendLengthPrefixed(accessUnit, Bytes(1, 0), 0), std::invalid_argument);
    EXPECT_THROW(appendLengthPrefixed(accessUnit, Bytes(1, 0), 5), std::invalid_argument);
    EXPECT_EQ(accessUnit.size(), 1 + 255 + 2 + 65535u);
}

TEST(LengthPrefixing, SplitsWhatItPrefixedAndRejectsLengthsPastTheEnd) {
    const std::vector<Bytes> units = {{0x40, 0x01}, {0x26, 0x01, 0xaf}};
    for (const int prefix : {1, 2, 3, 4}) {
        Bytes accessUnit;
        for (const Bytes& unit : units) appendLengthPrefixed(accessUnit, unit, prefix);
        EXPECT_EQ(toBytes(splitLengthPrefixed(accessUnit, prefix)), units) << prefix;
        accessUnit.pop_back();
        EXPECT_THROW(splitLengthPrefixed(accessUnit, prefix), std::invalid_argument) << prefix;
        if (prefix > 1) EXPECT_THROW(splitLengthPrefixed(Bytes(1, 0), prefix), std::invalid_argument) << prefix;
    }
}

}  // namespace
}  // namespace UmberlinTools
