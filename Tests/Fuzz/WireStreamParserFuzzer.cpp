// libFuzzer target: arbitrary bytes, cut into chunks that the input itself chooses, through
// the stream parser (see FuzzChecks::checkStreamParser for the input layout).

#include <cstdio>
#include <cstdlib>

#include "Fuzz/WireFuzzChecks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        UmberlinWire::FuzzChecks::checkStreamParser(UmberlinWire::ByteView(data, size));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "Stream parser check failed: %s\n", failure.what());
        std::abort();
    }
    return 0;
}
