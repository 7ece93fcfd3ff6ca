#pragma once
// The protocol between Umberlin Capture on the phone and this monitor: framing,
// stream reassembly and the JSON payload records.

#include "UmberlinWire/WireFraming.hpp"       // IWYU pragma: export
#include "UmberlinWire/WirePayloads.hpp"      // IWYU pragma: export
#include "UmberlinWire/WireStreamParser.hpp"  // IWYU pragma: export
