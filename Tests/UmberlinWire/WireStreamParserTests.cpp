// Reassembly across chunk boundaries and the parser's failures are checked call by call against
// a plain reference reassembler on the kept fuzzing corpus (WireFuzzCorpusTests). What the small
// corpus inputs cannot reach, the payload size bounds, stays here.

#include <gtest/gtest.h>

#include <numeric>

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinWire {
namespace {

Bytes packet(MessageType type, std::size_t payloadSize, std::uint32_t sequence = 0) {
    Bytes payload(payloadSize);
    std::iota(payload.begin(), payload.end(), static_cast<std::uint8_t>(sequence));
    return makePacket(type, Flags::keyFrame, 1000 + sequence, sequence, payload);
}

std::optional<ProtocolError> failureOf(UmberlinWireStreamParser& parser, const Bytes& chunk) {
    try {
        parser.append(chunk);
    } catch (const ProtocolError& error) {
        return error;
    }
    return std::nullopt;
}

// JSON messages have a bound of their own, far below the media frames' one.
TEST(WireStreamParser, JsonMessagesAboveOneMebibyteFailAtTheirHeader) {
    for (const MessageType type : {MessageType::hello, MessageType::cameraControlStatus}) {
        UmberlinWireStreamParser parser;
        EXPECT_EQ(parser.append(packet(type, maximumJsonPayloadSize)).size(), 1u);
        const Bytes oversized = packet(type, maximumJsonPayloadSize + 1);
        EXPECT_EQ(failureOf(parser, Bytes(oversized.begin(), oversized.begin() + headerSize)),
                  ProtocolError::payloadTooLarge(maximumJsonPayloadSize + 1));
    }
    UmberlinWireStreamParser parser;
    EXPECT_EQ(parser.append(packet(MessageType::audioFrame, maximumJsonPayloadSize + 2)).size(), 1u);
}

TEST(WireStreamParser, LargestPayloadPassesThroughInPieces) {
    const Bytes big = makePacket(MessageType::videoFrame, Flags(), 0, 0, Bytes(maximumPayloadSize, 0xAB));
    UmberlinWireStreamParser parser;
    std::vector<Message> messages;
    for (std::size_t offset = 0; offset < big.size(); offset += 1 << 20) {
        auto more = parser.append(ByteView(big).subspan(offset, std::min<std::size_t>(1 << 20, big.size() - offset)));
        messages.insert(messages.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].payload.size(), static_cast<std::size_t>(maximumPayloadSize));
    EXPECT_EQ(messages[0].payload.back(), 0xAB);
}

}  // namespace
}  // namespace UmberlinWire
