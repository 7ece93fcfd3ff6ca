#include "Monitor/CameraSettingsReadout.hpp"

#include <QStringList>

#include <cmath>

namespace Quillfen {

namespace {

using UmberlinWire::CameraExposureMode;
using UmberlinWire::CameraFocusMode;

const QString emDash = QString::fromUtf8("\u2014");
// Whole numbers within this magnitude convert to a 64-bit integer exactly enough.
constexpr double largestWholeNumber = 9.0e18;

std::optional<QString> focusText(const UmberlinWire::CameraControlState& state) {
    if (state.isManualFocus.value_or(false)) {
        if (!state.lensPosition) return "MANUAL";
        const double position = *state.lensPosition > 0 ? std::min(*state.lensPosition, 1.0) : 0.0;
        return "MANUAL " + QString::number(std::lround(position * 100)) + "%";
    }
    if (!state.focusMode) return std::nullopt;
    return *state.focusMode == CameraFocusMode::automatic ? "AUTO" : "LOCK";
}

QString exposureText(const UmberlinWire::CameraControlState& state) {
    switch (state.exposureMode) {
        case CameraExposureMode::automatic:
            return QString::asprintf("AUTO  %+.1f EV", state.exposureBiasEV);
        case CameraExposureMode::locked:
            return "LOCK";
        case CameraExposureMode::manual:
            return "MANUAL";
    }
    return {};
}

}  // namespace

CameraSettingsReadout cameraSettingsReadout(const UmberlinWire::CameraControlState& state) {
    return CameraSettingsReadout{focusText(state), exposureText(state), shutterLabel(state.exposureDurationSeconds),
                                 wholeNumberText(state.iso)};
}

QString accessibilityValue(const CameraSettingsReadout& readout) {
    QStringList parts;
    if (readout.focus) parts << "Focus " + *readout.focus;
    parts << "Exposure " + readout.exposure << "Shutter " + readout.shutter << "ISO " + readout.iso;
    return parts.join(", ");
}

QString shutterLabel(double durationSeconds) {
    if (!(durationSeconds > 0)) return emDash;
    const double reciprocal = 1 / durationSeconds;
    if (reciprocal < 2) return std::isfinite(durationSeconds) ? QString::asprintf("%.2f s", durationSeconds) : emDash;
    if (!(reciprocal < largestWholeNumber)) return emDash;
    return "1/" + QString::number(std::llround(reciprocal)) + " s";
}

QString wholeNumberText(double value) {
    if (!(std::abs(value) < largestWholeNumber)) return emDash;
    return QString::number(std::llround(value));
}

}  // namespace Quillfen
