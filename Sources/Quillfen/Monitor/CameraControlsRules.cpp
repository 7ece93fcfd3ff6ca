#include "Monitor/CameraControlsRules.hpp"

#include <algorithm>
#include <cmath>

#include "Monitor/CameraSettingsReadout.hpp"
#include "Session/CameraExposurePresets.hpp"

namespace Quillfen::CameraControlsRules {

using UmberlinWire::CameraControlCapabilities;
using UmberlinWire::CameraExposureMode;

namespace {

constexpr double stepsPerStop = 3;
// Rounding room so that a range of whole thirds keeps its last step.
constexpr double stepTolerance = 1e-9;
constexpr double smallestBias = 0.01;

}  // namespace

std::vector<CameraExposureMode> exposureModes(const CameraControlCapabilities& phone) {
    std::vector<CameraExposureMode> modes{CameraExposureMode::automatic};
    if (phone.supportsExposureLock) modes.push_back(CameraExposureMode::locked);
    if (phone.supportsManualExposure) modes.push_back(CameraExposureMode::manual);
    return modes;
}

std::vector<CameraFocusControlMode> focusModes(const CameraControlCapabilities& phone) {
    std::vector<CameraFocusControlMode> modes;
    if (phone.supportsAutoFocus) modes.push_back(CameraFocusControlMode::automatic);
    if (phone.supportsFocusLock) modes.push_back(CameraFocusControlMode::locked);
    if (phone.supportsManualFocus) modes.push_back(CameraFocusControlMode::manual);
    return modes;
}

QString title(CameraExposureMode mode) {
    return mode == CameraExposureMode::automatic ? "Auto" : mode == CameraExposureMode::locked ? "Lock" : "Manual";
}

QString title(CameraFocusControlMode mode) {
    return mode == CameraFocusControlMode::automatic ? "Auto"
           : mode == CameraFocusControlMode::locked  ? "Lock"
                                                     : "Manual";
}

bool canResetExposureToAuto(const UmberlinWire::CameraControlState& state) {
    return state.exposureMode != CameraExposureMode::automatic || !(std::abs(state.exposureBiasEV) < smallestBias);
}

int BiasSlider::position(double bias) const {
    const double steps = std::round((bias - minimum) * stepsPerStop);
    return std::isnan(steps) ? 0 : static_cast<int>(std::clamp(steps, 0.0, static_cast<double>(stepCount)));
}

double BiasSlider::bias(int position) const { return minimum + std::clamp(position, 0, stepCount) / stepsPerStop; }

std::optional<BiasSlider> biasSlider(const CameraControlCapabilities& phone) {
    const double range = phone.maximumExposureBiasEV - phone.minimumExposureBiasEV;
    // A phone's range is a few stops; anything wider than 100 is not a range to step through.
    if (!phone.supportsExposureCompensation || !(range > 0) || range > 100) return std::nullopt;
    return BiasSlider{phone.minimumExposureBiasEV, static_cast<int>(std::floor(range * stepsPerStop + stepTolerance))};
}

QString biasText(const UmberlinWire::CameraControlStatus& status) {
    if (!status.capabilities.supportsExposureCompensation) return "Unavailable";
    return QString::asprintf("%+.1f EV", status.state.exposureBiasEV);
}

std::optional<std::vector<double>> isoPresets(const CameraControlCapabilities& phone) {
    if (!phone.minimumISO || !phone.maximumISO) return std::nullopt;
    return ExposurePresets::supportedISOValues(*phone.minimumISO, *phone.maximumISO);
}

std::optional<std::vector<double>> shutterPresets(const CameraControlCapabilities& phone) {
    const auto& minimum = phone.minimumExposureDurationSeconds;
    const auto& maximum = phone.maximumExposureDurationSeconds;
    if (!minimum || !maximum || !(*minimum > 0) || !(*minimum <= *maximum)) return std::nullopt;
    return ExposurePresets::supportedShutterDurations(*minimum, *maximum);
}

double presetAt(double position, std::span<const double> presets) {
    const double last = static_cast<double>(presets.size()) - 1;
    const double index = std::isnan(position) ? 0 : std::clamp(std::round(position), 0.0, last);
    return presets[static_cast<std::size_t>(index)];
}

QString appliedValuesText(const UmberlinWire::CameraControlState& state) {
    return "ISO " + wholeNumberText(state.iso) + QString::fromUtf8("  \u00B7  ") +
           shutterLabel(state.exposureDurationSeconds);
}

QString lensPercentText(double position) { return wholeNumberText(position * 100) + "%"; }

}  // namespace Quillfen::CameraControlsRules
