#pragma once
// The connected client's socket, with waits that a stop request interrupts.

#include <chrono>
#include <optional>

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinTools {

using SteadyTime = std::chrono::steady_clock::time_point;

class PeerConnection {
public:
    enum class SendResult { sent, peerGone, peerNotReading, stopped };
    enum class WaitResult { readable, watchedReadable, deadlineReached, stopped };

    // A client that takes no bytes at all for this long is treated as gone.
    static constexpr std::chrono::seconds sendTimeout{10};

    // Takes ownership of a connected socket.
    explicit PeerConnection(int descriptor);
    ~PeerConnection();
    PeerConnection(const PeerConnection&) = delete;
    PeerConnection& operator=(const PeerConnection&) = delete;

    SendResult sendAll(UmberlinWire::ByteView bytes);

    // Waits until the client has sent something (or closed), `watched` (another descriptor,
    // when not -1) becomes readable, the deadline passes, or a stop is requested.
    WaitResult waitReadable(SteadyTime deadline, int watched = -1);

    // Everything the client has sent so far, possibly nothing; no value once it has closed
    // the connection or it failed.
    std::optional<UmberlinWire::Bytes> receiveAvailable();

private:
    int descriptor_;
};

}  // namespace UmberlinTools
