#include "TelemetrySource.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace UmberlinTools {
namespace {

using namespace UmberlinWire;

constexpr double initialBatteryLevel = 0.87;
constexpr double lowBatteryLevel = 0.20;
constexpr double drainPerSecond = 0.005 / 60.0;
constexpr double chargePerSecond = 0.02 / 60.0;

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// The phone's axes: x to the right of its screen, y up along it, z out of it (the viewing axis).
DeviceAttitude aboutAxis(double x, double y, double z, double angle) {
    const double s = std::sin(angle / 2);
    return DeviceAttitude{.x = x * s, .y = y * s, .z = z * s, .w = std::cos(angle / 2)};
}

DeviceAttitude product(const DeviceAttitude& a, const DeviceAttitude& b) {
    return DeviceAttitude{
        .x = a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
        .y = a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
        .z = a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
        .w = a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
    };
}

// Pan (yaw) about the vertical axis, then tilt (pitch) about the horizontal one, then roll about
// the viewing axis, as a hand-held phone moves.
DeviceAttitude attitudeFromAngles(double roll, double pitch, double yaw) {
    return product(product(aboutAxis(0, 1, 0, yaw), aboutAxis(1, 0, 0, pitch)), aboutAxis(0, 0, 1, roll));
}

}  // namespace

DeviceStatus simulatedDeviceStatus(double seconds, bool microphoneAvailable) {
    const double drainSeconds = (initialBatteryLevel - lowBatteryLevel) / drainPerSecond;
    double batteryLevel = 0;
    BatteryState batteryState = BatteryState::unplugged;
    if (seconds < drainSeconds) {
        batteryLevel = initialBatteryLevel - drainPerSecond * seconds;
    } else {
        batteryLevel = std::min(1.0, lowBatteryLevel + chargePerSecond * (seconds - drainSeconds));
        batteryState = batteryLevel >= 1.0 ? BatteryState::full : BatteryState::charging;
    }

    const double roll = radians(20.0 * std::sin(2 * std::numbers::pi * seconds / 12.0));
    const double pitch = radians(10.0 * std::sin(2 * std::numbers::pi * seconds / 17.0));
    // A slow pan back and forth, so the level stays readable against any reference.
    const double yaw = radians(15.0 * std::sin(2 * std::numbers::pi * seconds / 23.0));

    return DeviceStatus{
        .batteryLevel = batteryLevel,
        .batteryState = batteryState,
        .attitude = attitudeFromAngles(roll, pitch, yaw),
        .audioCaptureState = microphoneAvailable ? AudioCaptureState::ready : AudioCaptureState::unavailable,
        .audioInputName = microphoneAvailable ? std::optional<std::string>("Simulated Microphone") : std::nullopt,
    };
}

}  // namespace UmberlinTools
