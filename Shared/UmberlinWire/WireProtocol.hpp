#pragma once
// The protocol between Umberlin Capture on the phone and this monitor: framing,
// stream reassembly and the JSON payload records.

#include "WireFraming.hpp"       // IWYU pragma: export
#include "WirePayloads.hpp"      // IWYU pragma: export
#include "WireStreamParser.hpp"  // IWYU pragma: export
