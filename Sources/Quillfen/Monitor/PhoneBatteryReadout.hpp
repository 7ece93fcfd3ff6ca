#pragma once
// What the battery guide shows for the phone's charge and power state.

#include <QString>

#include <optional>

#include "Monitor/GuideStyle.hpp"
#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

struct PhoneBatteryReadout {
    QString symbol;  // a system symbol name: "battery.25percent", "battery.100percent.bolt", ...
    GuideColor color;
    QString text;                // "35%"
    QString accessibilityLabel;  // "Phone battery 35 percent, on battery"
};

// The phone's battery level (a fraction, 1 meaning full) in whole percent, halves rounded
// up; nothing without a level or for one that is not a number. The phone's number is
// untrusted: anything outside 0...1 is shown at the nearest end.
std::optional<int> batteryPercentage(std::optional<double> level);

PhoneBatteryReadout phoneBatteryReadout(int percentage, std::optional<UmberlinWire::BatteryState> state);

}  // namespace Quillfen
