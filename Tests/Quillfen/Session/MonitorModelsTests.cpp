#include "Session/MonitorModels.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace Quillfen {
namespace {

TEST(MonitorRotation, NormalisesAnyAngleToTheNearestQuarterTurn) {
    const struct {
        std::int64_t degrees;
        int normalized;
    } cases[] = {{0, 0},
                 {44, 0},
                 {45, 90},
                 {-44, 0},
                 {-45, 270},
                 {-90, 270},
                 {135, 180},
                 {405, 90},
                 {450, 90},
                 {360, 0},
                 {-360, 0},
                 {269, 270},
                 {315, 0},
                 {-135, 180},
                 {std::numeric_limits<std::int64_t>::max(), 0},
                 {std::numeric_limits<std::int64_t>::max() - 97, 270},
                 {std::numeric_limits<std::int64_t>::min(), 0}};
    for (const auto& test : cases) EXPECT_EQ(normalizedRotation(test.degrees), test.normalized) << test.degrees;
}

TEST(MonitorRotation, DisplayedRotationCountsOtherAnglesAsZero) {
    EXPECT_EQ(displayedMonitorRotation(90), MonitorRotation::clockwise90);
    EXPECT_EQ(displayedMonitorRotation(630), MonitorRotation::clockwise270);
    EXPECT_EQ(displayedMonitorRotation(45), MonitorRotation::zero);
    EXPECT_EQ(displayedMonitorRotation(-90), MonitorRotation::zero);
}

TEST(CameraFocusControlMode, FollowsThePhonesFocusState) {
    UmberlinWire::CameraControlState state{};
    EXPECT_EQ(focusControlMode(state), CameraFocusControlMode::automatic);
    state.focusMode = UmberlinWire::CameraFocusMode::locked;
    EXPECT_EQ(focusControlMode(state), CameraFocusControlMode::locked);
    state.isManualFocus = false;
    EXPECT_EQ(focusControlMode(state), CameraFocusControlMode::locked);
    state.isManualFocus = true;
    EXPECT_EQ(focusControlMode(state), CameraFocusControlMode::manual);
    state.focusMode = UmberlinWire::CameraFocusMode::automatic;
    EXPECT_EQ(focusControlMode(state), CameraFocusControlMode::manual);
}

}  // namespace
}  // namespace Quillfen
