#pragma once
// How far the phone has turned away from the attitude the user set as level, expressed
// on the axes of the picture as it is displayed.

#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

// Angles in degrees: about the displayed picture's vertical axis, about its horizontal
// axis, and about the viewing axis.
struct CameraLevelReading {
    double horizontalDegrees = 0;
    double verticalDegrees = 0;
    double rollDegrees = 0;

    friend bool operator==(const CameraLevelReading&, const CameraLevelReading&) = default;
};

namespace LevelMath {

// The rotation from `reference` to `current` (both attitude quaternions from the phone),
// mapped onto the picture shown at `rotationAngleDegrees` (0, 90, 180 or 270; other
// multiples of 90 wrap, anything else counts as 0). Always finite: an attitude that is
// zero or not made of finite numbers counts as no rotation at all.
CameraLevelReading reading(const UmberlinWire::DeviceAttitude& current, const UmberlinWire::DeviceAttitude& reference,
                           int rotationAngleDegrees);

}  // namespace LevelMath

}  // namespace Quillfen
