#pragma once
// Small values that the monitor window's parts share: the phones a window can pick, the
// quarter-turn rotation of the picture and the focus choice of the camera controls.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

// The window's view of one discovered phone on one network interface, or of a phone the
// user added by its address.
struct CaptureSource {
    enum class Kind { wiredCamera, wirelessCamera, addressedCamera };

    std::string id;       // one per phone and network interface
    std::string claimID;  // one per phone
    std::string name;
    Kind kind;

    // "<name> — wired camera", "<name> — wireless camera" or "<name> — network camera".
    std::string displayName() const;
    // The link as status sentences name it: "USB", "Wi-Fi" or "IP".
    std::string_view linkWord() const;

    friend bool operator==(const CaptureSource&, const CaptureSource&) = default;
};

// The rotation applied to the picture, in degrees clockwise on screen. The raw value
// (the enumerator's value) is also its identity.
enum class MonitorRotation : int { zero = 0, clockwise90 = 90, upsideDown = 180, clockwise270 = 270 };

inline constexpr std::array<MonitorRotation, 4> allMonitorRotations{
    MonitorRotation::zero, MonitorRotation::clockwise90, MonitorRotation::upsideDown, MonitorRotation::clockwise270};

constexpr int rawValue(MonitorRotation rotation) { return static_cast<int>(rotation); }

// Exactly 0, 90, 180 or 270; nothing for any other number (360 included).
std::optional<MonitorRotation> monitorRotationFromRawValue(std::int64_t rawValue);

// The rotation for an angle already brought to 0...359, as the window shows it: an angle
// that is not a quarter turn counts as no rotation.
MonitorRotation displayedMonitorRotation(std::int64_t angleDegrees);

// A quarter turn swaps the picture's width and height.
bool swapsWidthAndHeight(MonitorRotation rotation);

// Any angle in degrees brought to the nearest quarter turn (halves away from zero), as
// 0, 90, 180 or 270: 44 gives 0, 45 gives 90, -90 gives 270, 450 gives 90.
int normalizedRotation(std::int64_t degrees);

// The camera controls' focus choice. The phone knows only automatic and locked focus;
// manual is locked focus at a lens position the user set.
enum class CameraFocusControlMode { automatic, locked, manual };

// The choice that the phone's reported camera state amounts to.
CameraFocusControlMode focusControlMode(const UmberlinWire::CameraControlState& state);

}  // namespace Quillfen
