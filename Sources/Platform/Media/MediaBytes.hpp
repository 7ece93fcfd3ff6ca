// Byte containers of the media library; the same types the wire protocol uses, so parameter
// sets and payloads pass between them without conversion.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace Media {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

}  // namespace Media
