#pragma once
// What the camera controls panel offers for the phone's reported capabilities and state, and
// the values its sliders stand for. The panel only draws these and calls the controller.

#include <QString>

#include <optional>
#include <span>
#include <vector>

#include "Session/MonitorModels.hpp"
#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen::CameraControlsRules {

// "Auto" always, "Lock" and "Manual" when the phone can.
std::vector<UmberlinWire::CameraExposureMode> exposureModes(const UmberlinWire::CameraControlCapabilities& phone);
// Each of "Auto", "Lock" and "Manual" that the phone can do.
std::vector<CameraFocusControlMode> focusModes(const UmberlinWire::CameraControlCapabilities& phone);
QString title(UmberlinWire::CameraExposureMode mode);
QString title(CameraFocusControlMode mode);

// "Reset Auto" has something to do unless exposure is automatic without a bias.
bool canResetExposureToAuto(const UmberlinWire::CameraControlState& state);

// The compensation slider steps a third of a stop from the phone's minimum bias; nothing
// when the phone has no compensation or no range to offer.
struct BiasSlider {
    double minimum;
    int stepCount;  // positions 0...stepCount

    int position(double bias) const;
    double bias(int position) const;
};
std::optional<BiasSlider> biasSlider(const UmberlinWire::CameraControlCapabilities& phone);
// "+0.3 EV", or "Unavailable" when the phone has no compensation.
QString biasText(const UmberlinWire::CameraControlStatus& status);

// The values the manual ISO and shutter sliders offer; nothing when the phone reports no
// usable range and the row is left out.
std::optional<std::vector<double>> isoPresets(const UmberlinWire::CameraControlCapabilities& phone);
std::optional<std::vector<double>> shutterPresets(const UmberlinWire::CameraControlCapabilities& phone);
// The preset at a slider position, rounded half away from zero into the list (not empty).
double presetAt(double position, std::span<const double> presets);

// "ISO 400  ·  1/60 s": the values the phone applies.
QString appliedValuesText(const UmberlinWire::CameraControlState& state);
// A lens position (0 far ... 1 near) as a whole percentage: "42%".
QString lensPercentText(double position);

}  // namespace Quillfen::CameraControlsRules
