#pragma once
// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks), as byte buffers travel in JSON.

#include <optional>
#include <string>
#include <string_view>

#include "UmberlinWire/WireFraming.hpp"

namespace UmberlinWire {

std::string base64Encode(ByteView bytes);
// The bytes `text` encodes, or nothing when it is not padded standard Base64.
std::optional<Bytes> base64Decode(std::string_view text);

}  // namespace UmberlinWire
