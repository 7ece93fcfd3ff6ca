#include "Monitor/PhoneBatteryReadout.hpp"

#include <algorithm>
#include <cmath>

namespace Quillfen {

using UmberlinWire::BatteryState;

std::optional<int> batteryPercentage(std::optional<double> level) {
    if (!level || std::isnan(*level)) return std::nullopt;
    return static_cast<int>(std::lround(std::clamp(*level, 0.0, 1.0) * 100));
}

PhoneBatteryReadout phoneBatteryReadout(int percentage, std::optional<BatteryState> state) {
    const bool onPower = state == BatteryState::charging || state == BatteryState::full;
    PhoneBatteryReadout readout;
    readout.symbol = onPower           ? "battery.100percent.bolt"
                     : percentage < 11 ? "battery.0percent"
                     : percentage < 26 ? "battery.25percent"
                     : percentage < 51 ? "battery.50percent"
                     : percentage < 76 ? "battery.75percent"
                                       : "battery.100percent";
    readout.color = onPower            ? GuideColor::green
                    : percentage < 21  ? GuideColor::red
                    : percentage <= 35 ? GuideColor::orange
                                       : GuideColor::white;
    readout.text = QString::number(percentage) + "%";
    const char* power = state == BatteryState::unplugged  ? "on battery"
                        : state == BatteryState::charging ? "charging"
                        : state == BatteryState::full     ? "connected to power"
                                                          : "power state unknown";
    readout.accessibilityLabel = QString("Phone battery %1 percent, %2").arg(percentage).arg(power);
    return readout;
}

}  // namespace Quillfen
