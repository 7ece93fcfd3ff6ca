#pragma once
// The phone camera's current image settings as the picture and the camera controls write
// them: focus, exposure, shutter and ISO.

#include <QString>

#include <optional>

#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

struct CameraSettingsReadout {
    std::optional<QString> focus;  // none when the phone reports no focus mode
    QString exposure;
    QString shutter;
    QString iso;

    friend bool operator==(const CameraSettingsReadout&, const CameraSettingsReadout&) = default;
};

CameraSettingsReadout cameraSettingsReadout(const UmberlinWire::CameraControlState& state);

// "Focus AUTO, Exposure LOCK, Shutter 1/60 s, ISO 400" (the focus part only when present).
QString accessibilityValue(const CameraSettingsReadout& readout);

// "1/125 s" for durations up to half a second, "0.80 s" for longer ones, "—" for none (zero
// or less) and for one too short to write as a fraction.
QString shutterLabel(double durationSeconds);

// The number rounded to a whole one ("400"), or "—" for one that is not finite or too large
// to write whole.
QString wholeNumberText(double value);

}  // namespace Quillfen
