#pragma once
// Shared by the simulator's end-to-end tests: a simulator on loopback with a small picture,
// and a client connected to it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Support/SimulatorProcess.hpp"
#include "WireTestClient.hpp"

namespace SimulatorTests {

// Starts the simulator on 127.0.0.1 with a free port, 320x240 and no DNS-SD, plus `extra`.
inline std::unique_ptr<SimulatorProcess> startSimulator(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> arguments = {"--no-advertise", "--address", "127.0.0.1", "--port", "0",
                                          "--size",         "320x240"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return std::make_unique<SimulatorProcess>(arguments);
}

// The messages that decode, one after another, from the start of `bytes`, and where the first
// header that does not decode (or the end) begins.
struct ValidPrefix {
    std::vector<UmberlinWire::Message> messages;
    std::size_t end = 0;
};

inline ValidPrefix splitValidPrefix(UmberlinWire::ByteView bytes) {
    ValidPrefix prefix;
    while (bytes.size() - prefix.end >= UmberlinWire::headerSize) {
        UmberlinWire::Header header;
        try {
            header = UmberlinWire::decodeHeader(bytes.subspan(prefix.end));
        } catch (const UmberlinWire::ProtocolError&) {
            break;
        }
        const std::size_t total = UmberlinWire::headerSize + header.payloadLength;
        if (bytes.size() - prefix.end < total) break;
        const auto payload = bytes.subspan(prefix.end + UmberlinWire::headerSize, header.payloadLength);
        prefix.messages.push_back({header, UmberlinWire::Bytes(payload.begin(), payload.end())});
        prefix.end += total;
    }
    return prefix;
}

}  // namespace SimulatorTests
