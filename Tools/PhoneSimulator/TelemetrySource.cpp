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

// Roll about the viewing axis, pitch about the horizontal axis, yaw about the vertical axis.
DeviceAttitude attitudeFromAngles(double roll, double pitch, double yaw) {
    const double cr = std::cos(roll / 2), sr = std::sin(roll / 2);
    const double cp = std::cos(pitch / 2), sp = std::sin(pitch / 2);
    const double cy = std::cos(yaw / 2), sy = std::sin(yaw / 2);
    return DeviceAttitude{
        .x = sr * cp * cy - cr * sp * sy,
        .y = cr * sp * cy + sr * cp * sy,
        .z = cr * cp * sy - sr * sp * cy,
        .w = cr * cp * cy + sr * sp * sy,
    };
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
    const double yaw = radians(std::fmod(3.0 * seconds, 360.0));

    return DeviceStatus{
        .batteryLevel = batteryLevel,
        .batteryState = batteryState,
        .attitude = attitudeFromAngles(roll, pitch, yaw),
        .audioCaptureState = microphoneAvailable ? AudioCaptureState::ready : AudioCaptureState::unavailable,
        .audioInputName = microphoneAvailable ? std::optional<std::string>("Simulated Microphone") : std::nullopt,
    };
}

}  // namespace UmberlinTools
