#include "Session/CameraLevel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace Quillfen {
namespace {

using UmberlinWire::DeviceAttitude;

constexpr double tolerance = 1e-9;

DeviceAttitude rotation(double degrees, double axisX, double axisY, double axisZ) {
    const double half = degrees * std::numbers::pi / 360;
    return {axisX * std::sin(half), axisY * std::sin(half), axisZ * std::sin(half), std::cos(half)};
}

DeviceAttitude product(const DeviceAttitude& a, const DeviceAttitude& b) {
    return {
        a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
        a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
        a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
    };
}

constexpr DeviceAttitude identity{0, 0, 0, 1};
constexpr DeviceAttitude zero{0, 0, 0, 0};

void expectReading(const CameraLevelReading& actual, const CameraLevelReading& expected) {
    EXPECT_NEAR(actual.horizontalDegrees, expected.horizontalDegrees, tolerance);
    EXPECT_NEAR(actual.verticalDegrees, expected.verticalDegrees, tolerance);
    EXPECT_NEAR(actual.rollDegrees, expected.rollDegrees, tolerance);
}

TEST(LevelMath, SameAttitudeReadsLevelAtEveryRotation) {
    const DeviceAttitude tilted{0.1, -0.2, 0.3, 0.9};  // not of unit length
    for (const int degrees : {0, 90, 180, 270}) {
        SCOPED_TRACE(degrees);
        expectReading(LevelMath::reading(tilted, tilted, degrees), {0, 0, 0});
        expectReading(LevelMath::reading(zero, zero, degrees), {0, 0, 0});
    }
}

TEST(LevelMath, TenDegreesAboutEachAxisAtEachRotation) {
    struct Case {
        DeviceAttitude current;
        int rotationDegrees;
        CameraLevelReading expected;
    };
    const DeviceAttitude aboutX = rotation(10, 1, 0, 0);
    const DeviceAttitude aboutY = rotation(10, 0, 1, 0);
    const DeviceAttitude aboutZ = rotation(10, 0, 0, 1);
    const Case cases[] = {
        {aboutX, 0, {0, 10, 0}}, {aboutX, 90, {-10, 0, 0}}, {aboutX, 180, {0, -10, 0}}, {aboutX, 270, {10, 0, 0}},
        {aboutY, 0, {10, 0, 0}}, {aboutY, 90, {0, 10, 0}},  {aboutY, 180, {-10, 0, 0}}, {aboutY, 270, {0, -10, 0}},
        {aboutZ, 0, {0, 0, 10}}, {aboutZ, 90, {0, 0, 10}},  {aboutZ, 180, {0, 0, 10}},  {aboutZ, 270, {0, 0, 10}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::Message() << test.current.x << "," << test.current.y << "," << test.current.z << " at "
                                          << test.rotationDegrees);
        expectReading(LevelMath::reading(test.current, identity, test.rotationDegrees), test.expected);
    }
}

TEST(LevelMath, RotationIsMeasuredInTheReferenceFrame) {
    // Tilt by 10 degrees about the phone's own z axis after turning it 90 degrees about x:
    // only the roll changes, however the reference itself is turned.
    const DeviceAttitude reference = rotation(90, 1, 0, 0);
    const DeviceAttitude current = product(reference, rotation(10, 0, 0, 1));
    expectReading(LevelMath::reading(current, reference, 0), {0, 0, 10});
}

TEST(LevelMath, TakesTheShortWayRound) {
    expectReading(LevelMath::reading(rotation(350, 0, 0, 1), identity, 0), {0, 0, -10});
    expectReading(LevelMath::reading(identity, rotation(350, 1, 0, 0), 0), {0, 10, 0});
}

TEST(LevelMath, RotationAngleWrapsToQuarterTurns) {
    const DeviceAttitude aboutX = rotation(10, 1, 0, 0);
    EXPECT_EQ(LevelMath::reading(aboutX, identity, 450), LevelMath::reading(aboutX, identity, 90));
    EXPECT_EQ(LevelMath::reading(aboutX, identity, -90), LevelMath::reading(aboutX, identity, 270));
    EXPECT_EQ(LevelMath::reading(aboutX, identity, 360), LevelMath::reading(aboutX, identity, 0));
    EXPECT_EQ(LevelMath::reading(aboutX, identity, 89), LevelMath::reading(aboutX, identity, 0));
}

TEST(LevelMath, DegenerateAttitudesCountAsNoRotation) {
    const DeviceAttitude aboutZ = rotation(10, 0, 0, 1);
    const double notANumber = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const DeviceAttitude unusable[] = {zero, {notANumber, 0, 0, 1}, {0, 0, infinity, 1}, {0, 0, 0, -infinity}};
    for (const DeviceAttitude& attitude : unusable) {
        expectReading(LevelMath::reading(aboutZ, attitude, 0), {0, 0, 10});
        expectReading(LevelMath::reading(attitude, aboutZ, 0), {0, 0, -10});
    }

    // Finite components whose squares overflow still have a direction.
    const DeviceAttitude huge{aboutZ.x * 1e300, aboutZ.y * 1e300, aboutZ.z * 1e300, aboutZ.w * 1e300};
    expectReading(LevelMath::reading(huge, identity, 0), {0, 0, 10});
}

}  // namespace
}  // namespace Quillfen
