#pragma once
// Cuts the phone's TCP byte stream into whole messages.

#include <array>
#include <optional>
#include <vector>

#include "UmberlinWire/WireFraming.hpp"

namespace UmberlinWire {

class UmberlinWireStreamParser {
public:
    UmberlinWireStreamParser() = default;

    // Takes the next chunk of the stream and returns the messages it completes, in
    // stream order. Throws the ProtocolError of the first invalid header (a JSON message
    // announcing more than maximumJsonPayloadSize counts as payloadTooLarge); such a call
    // delivers nothing, and every later call fails the same way: the owner starts over
    // with a new parser.
    std::vector<Message> append(ByteView chunk);

private:
    // Moves bytes from the front of `chunk` into the partial packet; returns how many it took.
    std::size_t continuePendingPacket(ByteView chunk, std::vector<Message>& completed);
    void keepRemainder(ByteView remainder);
    [[noreturn]] void failWith(const ProtocolError& error, ByteView offendingHeader);

    // The partial packet: the header bytes received so far and, once the header is
    // whole and valid, the payload bytes received so far.
    std::array<std::uint8_t, headerSize> pendingHeader_{};
    std::size_t pendingHeaderSize_ = 0;
    std::optional<Header> pendingDecodedHeader_;
    Bytes pendingPayload_;

    // Set once a header failed to decode. The stream cannot be resynchronised, so the
    // parser keeps only that header and repeats the error.
    std::optional<ProtocolError> failure_;
};

}  // namespace UmberlinWire
