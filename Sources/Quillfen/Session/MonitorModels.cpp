#include "Session/MonitorModels.hpp"

#include "UmberlinWire/WireShownText.hpp"

namespace Quillfen {

std::string CaptureSource::displayName() const {
    switch (kind) {
        case Kind::wiredCamera:
            return UmberlinWire::shownPhoneText(name) + " \u2014 wired camera";
        case Kind::addressedCamera:
            return UmberlinWire::shownPhoneText(name) + " \u2014 network camera";
        case Kind::wirelessCamera:
            break;
    }
    return UmberlinWire::shownPhoneText(name) + " \u2014 wireless camera";
}

std::string_view CaptureSource::linkWord() const {
    switch (kind) {
        case Kind::wiredCamera:
            return "USB";
        case Kind::addressedCamera:
            return "IP";
        case Kind::wirelessCamera:
            break;
    }
    return "Wi-Fi";
}

std::optional<MonitorRotation> monitorRotationFromRawValue(std::int64_t rawValue) {
    switch (rawValue) {
        case 0:
            return MonitorRotation::zero;
        case 90:
            return MonitorRotation::clockwise90;
        case 180:
            return MonitorRotation::upsideDown;
        case 270:
            return MonitorRotation::clockwise270;
        default:
            return std::nullopt;
    }
}

MonitorRotation displayedMonitorRotation(std::int64_t angleDegrees) {
    return monitorRotationFromRawValue(angleDegrees % 360).value_or(MonitorRotation::zero);
}

bool swapsWidthAndHeight(MonitorRotation rotation) {
    return rotation == MonitorRotation::clockwise90 || rotation == MonitorRotation::clockwise270;
}

int normalizedRotation(std::int64_t degrees) {
    // Rounded in integers, so that no angle, however large, leaves the four quarter turns.
    std::int64_t quarterTurns = degrees / 90;
    const std::int64_t remainder = degrees % 90;
    if (remainder >= 45) ++quarterTurns;
    if (remainder <= -45) --quarterTurns;
    int normalized = static_cast<int>(quarterTurns % 4) * 90;
    if (normalized < 0) normalized += 360;
    return normalized;
}

CameraFocusControlMode focusControlMode(const UmberlinWire::CameraControlState& state) {
    if (state.isManualFocus.value_or(false)) return CameraFocusControlMode::manual;
    if (state.focusMode == UmberlinWire::CameraFocusMode::locked) return CameraFocusControlMode::locked;
    return CameraFocusControlMode::automatic;
}

}  // namespace Quillfen
