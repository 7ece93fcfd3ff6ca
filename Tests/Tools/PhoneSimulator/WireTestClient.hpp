#pragma once
// A monitor's side of the link for tests: connects to the simulator over loopback TCP, cuts
// what arrives into messages with the protocol's stream parser, keeps every byte it received,
// and sends camera-control commands. Every wait is bounded.

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

#include "UmberlinWire/WireProtocol.hpp"

namespace SimulatorTests {

using namespace std::chrono_literals;

class WireTestClient {
public:
    // Connects to 127.0.0.1:port; throws std::runtime_error when it cannot.
    explicit WireTestClient(int port);
    ~WireTestClient();
    WireTestClient(const WireTestClient&) = delete;
    WireTestClient& operator=(const WireTestClient&) = delete;

    // The next message; nothing after the timeout or when the simulator closed the connection.
    // Throws the parser's ProtocolError once the messages before a malformed header are taken.
    std::optional<UmberlinWire::Message> nextMessage(std::chrono::milliseconds timeout = 5s);
    // The next message of this type, skipping others.
    std::optional<UmberlinWire::Message> nextMessageOfType(UmberlinWire::MessageType type,
                                                           std::chrono::milliseconds timeout = 5s);

    // Waits until the simulator closes the connection; false after the timeout.
    bool waitForClose(std::chrono::milliseconds timeout);
    // Reads whatever arrives within the time given (the stream is expected to be quiet).
    void drainFor(std::chrono::milliseconds duration);

    // Sends bytes as they are, framed or not.
    void sendRaw(UmberlinWire::ByteView bytes);
    // A cameraControlCommand packet around any payload, with the client's next sequence number.
    void sendCommandPayload(UmberlinWire::ByteView payload);

    bool closedByPeer() const { return closed_; }
    // Every byte received so far, in order.
    const UmberlinWire::Bytes& receivedBytes() const { return received_; }

private:
    // Receives once, waiting at most until the deadline; false when nothing more can come.
    bool receive(std::chrono::steady_clock::time_point deadline);

    int descriptor_ = -1;
    UmberlinWire::UmberlinWireStreamParser parser_;
    std::deque<UmberlinWire::Message> pending_;
    std::optional<UmberlinWire::ProtocolError> streamError_;  // thrown once pending_ is empty
    UmberlinWire::Bytes received_;
    std::uint32_t sequenceNumber_ = 0;
    bool closed_ = false;
};

}  // namespace SimulatorTests
