#pragma once
// The phone's camera as far as remote control is concerned: what it can do (fixed
// capabilities) and its current focus and exposure settings. Commands are applied within the
// capabilities; values outside them are clamped, never refused.

#include <optional>
#include <string>

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinTools {

struct FocusPoint {
    double x;
    double y;
};

class SimulatedCamera {
public:
    SimulatedCamera();

    UmberlinWire::CameraControlStatus status() const { return {capabilities_, state_}; }
    std::optional<FocusPoint> focusPoint() const { return focusPoint_; }

    // Applies the settings the command carries and describes what it did in one line ("iso 3200
    // (clamped from 10000), exposure manual"); an empty text when it carried no setting.
    std::string apply(const UmberlinWire::CameraControlCommand& command);

    // The settings in a few words for the test picture ("ISO 100 1/60 EV +0.0 AF").
    std::string summary() const;

private:
    void applyFocus(const UmberlinWire::CameraControlCommand& command, std::string& description);
    void applyExposure(const UmberlinWire::CameraControlCommand& command, std::string& description);

    UmberlinWire::CameraControlCapabilities capabilities_;
    UmberlinWire::CameraControlState state_;
    std::optional<FocusPoint> focusPoint_;
};

}  // namespace UmberlinTools
