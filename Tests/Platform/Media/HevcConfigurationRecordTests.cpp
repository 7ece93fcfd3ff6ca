#include "Media/HevcConfigurationRecord.hpp"
#include "Media/NalUnitLengthPrefixes.hpp"
#include "Media/VideoFormatDescription.hpp"
#include "MediaSupport/HevcEncoder.hpp"

#include <gtest/gtest.h>

namespace Media {
namespace {

constexpr std::size_t lengthSizeByte = 21;
constexpr std::size_t arrayCountByte = 22;

// The NAL units of the record's arrays, with each array's header byte and unit count.
struct RecordArray {
    std::uint8_t header;
    std::vector<Bytes> units;
};

std::vector<RecordArray> arraysOf(const Bytes& record) {
    std::vector<RecordArray> arrays;
    std::size_t offset = arrayCountByte + 1;
    for (int array = 0; array < record.at(arrayCountByte); ++array) {
        RecordArray parsed{record.at(offset), {}};
        const int count = (record.at(offset + 1) << 8) | record.at(offset + 2);
        offset += 3;
        for (int unit = 0; unit < count; ++unit) {
            const std::size_t length = (record.at(offset) << 8) | record.at(offset + 1);
            offset += 2;
            parsed.units.emplace_back(record.begin() + offset, record.begin() + offset + length);
            offset += length;
        }
        arrays.push_back(parsed);
    }
    EXPECT_EQ(offset, record.size());
    return arrays;
}

TEST(EmulationPrevention, RemovesOnlyTheThirdByteOfEachEscape) {
    EXPECT_EQ(removeEmulationPrevention(Bytes{0x42, 0x00, 0x00, 0x03, 0x01, 0x00, 0x00, 0x03, 0x03, 0x00, 0x03}),
              (Bytes{0x42, 0x00, 0x00, 0x01, 0x00, 0x00, 0x03, 0x00, 0x03}));
    EXPECT_EQ(removeEmulationPrevention(Bytes{0x00, 0x00, 0x03, 0x00, 0x00, 0x03}), (Bytes{0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(removeEmulationPrevention(Bytes{0x00, 0x03, 0x00}), (Bytes{0x00, 0x03, 0x00}));
}

TEST(HevcConfigurationRecord, CarriesProfileTierLevelSamplingAndCompleteParameterSetArrays) {
    const auto parameterSets =
        UmberlinTools::HevcEncoder({.width = 1280, .height = 720, .bitDepth = 10}).parameterSets();
    const auto created = VideoFormatDescription::makeFromHevcParameterSets(parameterSets, 4);
    ASSERT_TRUE(created.succeeded());
    const Bytes& record = created.object->decoderConfigurationRecord();
    ASSERT_GT(record.size(), arrayCountByte);
    EXPECT_EQ(record[0], 1);
    const Bytes sps = removeEmulationPrevention(parameterSets[1]);
    EXPECT_EQ(Bytes(record.begin() + 1, record.begin() + 13), Bytes(sps.begin() + 3, sps.begin() + 15));
    EXPECT_EQ(record[1] & 0x1f, 2) << "Main 10 profile";
    EXPECT_EQ(record[16], 0xfc | 1) << "4:2:0";
    EXPECT_EQ(record[17], 0xf8 | 2) << "10-bit luma";
    EXPECT_EQ(record[18], 0xf8 | 2) << "10-bit chroma";
    EXPECT_EQ(record[lengthSizeByte] & 0x03, 3);
    const auto arrays = arraysOf(record);
    ASSERT_EQ(arrays.size(), 3u);
    for (std::size_t index = 0; index < 3; ++index) {
        EXPECT_EQ(arrays[index].header, 0x80 | (32 + index)) << "complete array of type " << 32 + index;
        EXPECT_EQ(arrays[index].units, std::vector<Bytes>{parameterSets[index]});
    }
}

TEST(HevcConfigurationRecord, GroupsUnitsByTypeAndRefusesWhatItCannotCarry) {
    const Bytes vps{0x40, 0x01, 0x0c};
    const Bytes sps(20, 0x01);
    Bytes spsWithHeader = sps;
    spsWithHeader[0] = 0x42;
    const Bytes pps{0x44, 0x01, 0xc1};
    const Bytes secondPps{0x44, 0x01, 0xc2};
    const auto record = makeHevcConfigurationRecord(std::vector<Bytes>{pps, spsWithHeader, vps, secondPps}, 2, {});
    ASSERT_TRUE(record.has_value());
    const auto arrays = arraysOf(*record);
    ASSERT_EQ(arrays.size(), 3u);
    EXPECT_EQ(arrays[0].units, std::vector<Bytes>{vps});
    EXPECT_EQ(arrays[2].units, (std::vector<Bytes>{pps, secondPps}));
    EXPECT_EQ((*record)[lengthSizeByte] & 0x03, 1);

    EXPECT_FALSE(makeHevcConfigurationRecord(std::vector<Bytes>{vps, spsWithHeader, pps}, 0, {}));
    EXPECT_FALSE(makeHevcConfigurationRecord(std::vector<Bytes>{vps, spsWithHeader}, 4, {}));
    Bytes hugeVps(70'000, 0x01);
    hugeVps[0] = 0x40;
    EXPECT_FALSE(makeHevcConfigurationRecord(std::vector<Bytes>{hugeVps, spsWithHeader, pps}, 4, {}));
}

TEST(NalUnitLengthPrefixes, ResizesPrefixesKeepingUnitsAndRejectsMalformedAccessUnits) {
    const Bytes threeByte{0x00, 0x00, 0x02, 0x26, 0x01, 0x00, 0x00, 0x01, 0x4e};
    const auto fourByte = resizeNalUnitLengthPrefixes(threeByte, 3, 4);
    ASSERT_TRUE(fourByte.has_value());
    EXPECT_EQ(*fourByte, (Bytes{0x00, 0x00, 0x00, 0x02, 0x26, 0x01, 0x00, 0x00, 0x00, 0x01, 0x4e}));
    EXPECT_EQ(resizeNalUnitLengthPrefixes(*fourByte, 4, 3), threeByte);
    EXPECT_EQ(resizeNalUnitLengthPrefixes(Bytes{}, 3, 4), Bytes{});

    EXPECT_FALSE(resizeNalUnitLengthPrefixes(Bytes{0x00, 0x00, 0x05, 0x26, 0x01}, 3, 4)) << "unit runs past the end";
    EXPECT_FALSE(resizeNalUnitLengthPrefixes(Bytes{0x00, 0x00, 0x01, 0x26, 0x00}, 3, 4)) << "truncated prefix";
    Bytes longUnit{0x00, 0x01, 0x00};
    longUnit.resize(3 + 256, 0x01);
    EXPECT_FALSE(resizeNalUnitLengthPrefixes(longUnit, 3, 1)) << "256 bytes do not fit one length byte";
    EXPECT_FALSE(resizeNalUnitLengthPrefixes(threeByte, 3, 5));
}

}  // namespace
}  // namespace Media
