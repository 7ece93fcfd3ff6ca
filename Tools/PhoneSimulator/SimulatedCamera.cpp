#include "SimulatedCamera.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace UmberlinTools {
namespace {

using namespace UmberlinWire;

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

void appendPart(std::string& description, const std::string& part) {
    if (!description.empty()) description += ", ";
    description += part;
}

// Clamps a finite value into [minimum, maximum]; NaN becomes the minimum.
double clampSetting(double value, double minimum, double maximum, const char* name, std::string& description) {
    const double clamped = std::isnan(value) ? minimum : std::clamp(value, minimum, maximum);
    std::string part = std::string(name) + " " + formatNumber(clamped);
    if (clamped != value) part += " (clamped from " + formatNumber(value) + ")";
    appendPart(description, part);
    return clamped;
}

}  // namespace

SimulatedCamera::SimulatedCamera()
    : capabilities_{
          .supportsExposureCompensation = true,
          .minimumExposureBiasEV = -8.0,
          .maximumExposureBiasEV = 8.0,
          .supportsExposureLock = true,
          .supportsManualExposure = true,
          .minimumISO = 25.0,
          .maximumISO = 3200.0,
          .minimumExposureDurationSeconds = 1.0 / 8000.0,
          .maximumExposureDurationSeconds = 0.5,
          .supportsAutoFocus = true,
          .supportsFocusLock = true,
          .supportsFocusPoint = true,
          .supportsManualFocus = true,
      },
      state_{
          .exposureMode = CameraExposureMode::automatic,
          .exposureBiasEV = 0.0,
          .iso = 100.0,
          .exposureDurationSeconds = 1.0 / 60.0,
          .isAdjustingExposure = false,
          .focusMode = CameraFocusMode::automatic,
          .lensPosition = 0.5,
          .isAdjustingFocus = false,
          .isManualFocus = false,
      } {}

std::string SimulatedCamera::apply(const CameraControlCommand& command) {
    std::string description;
    applyFocus(command, description);
    applyExposure(command, description);
    return description;
}

void SimulatedCamera::applyFocus(const CameraControlCommand& command, std::string& description) {
    if (command.focusMode) {
        state_.focusMode = *command.focusMode;
        state_.isManualFocus = false;
        appendPart(description, "focus " + std::string(rawValue(*command.focusMode)));
    }
    if (command.focusPointX || command.focusPointY) {
        // Focusing on a point focuses once at that point and keeps the mode the command names
        // (automatic when it names none); the lens moves to a distance that depends on where the
        // point is, so the change shows in the lens position.
        const FocusPoint previous = focusPoint_.value_or(FocusPoint{0.5, 0.5});
        FocusPoint point{
            clampSetting(command.focusPointX.value_or(previous.x), 0.0, 1.0, "focus point x", description),
            clampSetting(command.focusPointY.value_or(previous.y), 0.0, 1.0, "focus point y", description),
        };
        focusPoint_ = point;
        state_.focusMode = command.focusMode.value_or(CameraFocusMode::automatic);
        state_.isManualFocus = false;
        state_.lensPosition = 0.25 + 0.5 * point.y;
    }
    if (command.lensPosition) {
        state_.lensPosition = clampSetting(*command.lensPosition, 0.0, 1.0, "lens position", description);
        state_.focusMode = CameraFocusMode::locked;
        state_.isManualFocus = true;
    }
}

void SimulatedCamera::applyExposure(const CameraControlCommand& command, std::string& description) {
    if (command.exposureBiasEV) {
        state_.exposureBiasEV = clampSetting(*command.exposureBiasEV, capabilities_.minimumExposureBiasEV,
                                             capabilities_.maximumExposureBiasEV, "exposure bias", description);
    }
    if (command.iso) {
        state_.iso =
            clampSetting(*command.iso, *capabilities_.minimumISO, *capabilities_.maximumISO, "iso", description);
    }
    if (command.exposureDurationSeconds) {
        state_.exposureDurationSeconds =
            clampSetting(*command.exposureDurationSeconds, *capabilities_.minimumExposureDurationSeconds,
                         *capabilities_.maximumExposureDurationSeconds, "shutter", description);
    }
    // A custom ISO or shutter needs manual exposure; an explicit mode in the command wins.
    std::optional<CameraExposureMode> mode = command.exposureMode;
    if (!mode && (command.iso || command.exposureDurationSeconds)) mode = CameraExposureMode::manual;
    if (mode) {
        state_.exposureMode = *mode;
        appendPart(description, "exposure " + std::string(rawValue(*mode)));
    }
}

std::string SimulatedCamera::summary() const {
    char text[96];
    const double duration = state_.exposureDurationSeconds;
    const std::string shutter =
        duration >= 1.0 ? formatNumber(duration) + "S" : "1/" + formatNumber(std::round(1.0 / duration));
    const char* focus = state_.isManualFocus.value_or(false)                                               ? "MF"
                        : state_.focusMode.value_or(CameraFocusMode::automatic) == CameraFocusMode::locked ? "AF-L"
                                                                                                           : "AF";
    const char* exposure = state_.exposureMode == CameraExposureMode::automatic ? "AE"
                           : state_.exposureMode == CameraExposureMode::locked  ? "AE-L"
                                                                                : "M";
    std::snprintf(text, sizeof text, "%s ISO %.0f %s EV %+.1f %s", exposure, state_.iso, shutter.c_str(),
                  state_.exposureBiasEV, focus);
    return text;
}

}  // namespace UmberlinTools
