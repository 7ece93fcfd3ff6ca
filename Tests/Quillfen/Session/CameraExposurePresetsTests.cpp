#include "Session/CameraExposurePresets.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace Quillfen {
namespace {

using ExposurePresets::nearestIndex;
using ExposurePresets::supportedISOValues;
using ExposurePresets::supportedShutterDurations;

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(ExposurePresets, ISOValuesWithinThePhonesLimits) {
    const std::vector<double> values = supportedISOValues(50, 3200);
    ASSERT_EQ(values.size(), 19u);
    EXPECT_EQ(values.front(), 50);
    EXPECT_EQ(values[1], 64);
    EXPECT_EQ(values.back(), 3200);

    EXPECT_EQ(supportedISOValues(0, infinity).size(), ExposurePresets::standardISOValues.size());
    EXPECT_EQ(supportedISOValues(20, 24), std::vector<double>{20});
    EXPECT_EQ(supportedISOValues(notANumber, 24), std::vector<double>{});
    EXPECT_EQ(supportedISOValues(-infinity, 24), std::vector<double>{});
    EXPECT_EQ(supportedISOValues(50, notANumber), std::vector<double>{50});
}

TEST(ExposurePresets, ShutterDurationsWithinThePhonesLimits) {
    const std::vector<double> durations = supportedShutterDurations(1.0 / 8000, 0.5);
    ASSERT_EQ(durations.size(), 28u);
    EXPECT_EQ(durations.front(), 1.0 / 30);
    EXPECT_EQ(durations.back(), 1.0 / 8000);

    // Limits that the phone rounded a little still include the standard value.
    EXPECT_EQ(supportedShutterDurations(1.0 / 10000 * 1.0000005, 1.0 / 30 * 0.9999995).size(), 29u);

    EXPECT_EQ(supportedShutterDurations(1.0 / 20000, 1.0 / 15000), std::vector<double>{1.0 / 20000});
    EXPECT_EQ(supportedShutterDurations(0, 1.0 / 15000), std::vector<double>{});
    EXPECT_EQ(supportedShutterDurations(-1, 1.0 / 15000), std::vector<double>{});
    EXPECT_EQ(supportedShutterDurations(notANumber, notANumber), std::vector<double>{});
}

TEST(ExposurePresets, NearestIndex) {
    const std::vector<double> iso = supportedISOValues(25, 12800);
    EXPECT_EQ(iso[nearestIndex(36, iso)], 32);  // equally far from 32 and 40: the lower index
    EXPECT_EQ(iso[nearestIndex(37, iso)], 40);
    EXPECT_EQ(nearestIndex(1, iso), 0u);
    EXPECT_EQ(nearestIndex(1e9, iso), iso.size() - 1);
    EXPECT_EQ(nearestIndex(notANumber, iso), 0u);

    const std::vector<double> durations = supportedShutterDurations(1.0 / 8000, 0.5);
    EXPECT_EQ(durations[nearestIndex(1.0 / 130, durations)], 1.0 / 125);

    EXPECT_EQ(nearestIndex(800, std::vector<double>{}), 0u);
    EXPECT_EQ(nearestIndex(800, std::vector<double>{20}), 0u);
}

}  // namespace
}  // namespace Quillfen
