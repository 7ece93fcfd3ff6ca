#pragma once
// Decodes one HEVC access unit with libavcodec, as the monitor would: the parameter sets go
// in as an hvcC record, and the access unit exactly as the phone sent it.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "UmberlinWire/WireProtocol.hpp"

namespace SimulatorTests {

struct DecodedPicture {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    // Y, U and V samples, row by row; U and V at half resolution.
    std::array<std::vector<std::uint16_t>, 3> planes;

    // A sample of plane 0 (Y), 1 (U) or 2 (V) at picture coordinates, scaled to 8 bits.
    int sample8(int plane, int x, int y) const;
};

// The picture the access unit decodes to, with the record built from the phone's
// configuration; nothing when the decoder produces none.
std::optional<DecodedPicture> decodePicture(const UmberlinWire::VideoConfiguration& configuration,
                                            UmberlinWire::ByteView accessUnit);

}  // namespace SimulatorTests
