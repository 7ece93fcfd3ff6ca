#pragma once
// The phone's telemetry over time: an attitude that slowly rolls, pitches and turns, and a
// battery that drains and, once low, charges back to full.

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinTools {

// The status a phone with this microphone state would send `seconds` after it started.
UmberlinWire::DeviceStatus simulatedDeviceStatus(double seconds, bool microphoneAvailable);

}  // namespace UmberlinTools
