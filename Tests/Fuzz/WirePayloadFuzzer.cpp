// libFuzzer target: arbitrary bytes as the payload of every JSON message the monitor reads,
// and as a camera-control command (see FuzzChecks::checkPayloadDecoders).

#include <cstdio>
#include <cstdlib>

#include "Fuzz/WireFuzzChecks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        UmberlinWire::FuzzChecks::checkPayloadDecoders(UmberlinWire::ByteView(data, size));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "Payload decoder check failed: %s\n", failure.what());
        std::abort();
    }
    return 0;
}
