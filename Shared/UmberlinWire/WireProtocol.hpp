#pragma once
// The protocol between Umberlin Capture on the phone and this monitor: framing,
// stream reassembly and the JSON payload records.
//
// Errors: this library throws typed errors and keeps no state about them. ProtocolError is a
// malformed header (the parser then refuses every later chunk), DecodingError a payload that
// is not the expected record, EncodingError a record with no JSON form. Each what() is a
// sentence fit to show. The receiver catches them and turns them into its state.

#include "UmberlinWire/WireFraming.hpp"       // IWYU pragma: export
#include "UmberlinWire/WirePayloads.hpp"      // IWYU pragma: export
#include "UmberlinWire/WireStreamParser.hpp"  // IWYU pragma: export
