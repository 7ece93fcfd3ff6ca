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

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::optional<ProtocolError> failureOf(UmberlinWireStreamParser& parser, const Bytes& chunk) {
    try {
        parser.append(chunk);
    } catch (const ProtocolError& error) {
        return error;
    }
    return std::nullopt;
}

TEST(WireStreamParser, OneByteAtATimeYieldsTheMessageOnlyOnTheLastByte) {
    const Bytes bytes = packet(MessageType::audioFrame, 40, 3);
    UmberlinWireStreamParser parser;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) ASSERT_TRUE(parser.append(ByteView(&bytes[i], 1)).empty()) << i;

    const auto messages = parser.append(ByteView(&bytes.back(), 1));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].header, decodeHeader(bytes));
    EXPECT_EQ(messages[0].payload, Bytes(bytes.begin() + 24, bytes.end()));
}

TEST(WireStreamParser, SplitsAtEveryPositionGiveTheSameMessages) {
    const Bytes stream = concat(
        {packet(MessageType::hello, 0, 1), packet(MessageType::videoFrame, 70, 2), packet(MessageType::status, 5, 3)});
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        for (std::size_t secondCut = cut; secondCut <= stream.size(); secondCut += 7) {
            UmberlinWireStreamParser parser;
            std::vector<Message> all;
            for (auto [from, to] : {std::pair{std::size_t{0}, cut}, {cut, secondCut}, {secondCut, stream.size()}}) {
                auto messages = parser.append(ByteView(stream).subspan(from, to - from));
                all.insert(all.end(), messages.begin(), messages.end());
            }
            ASSERT_EQ(all.size(), 3u) << cut << " " << secondCut;
            EXPECT_EQ(all[1].header.sequenceNumber, 2u);
            EXPECT_EQ(all[1].payload.size(), 70u);
            EXPECT_EQ(all[1].payload[69], static_cast<std::uint8_t>(2 + 69));
            EXPECT_TRUE(all[0].payload.empty());
        }
    }
}

TEST(WireStreamParser, WholePacketsComeOutAndAPartialOneWaits) {
    const Bytes third = packet(MessageType::videoFrame, 100, 3);
    UmberlinWireStreamParser parser;

    auto messages = parser.append(concat({packet(MessageType::hello, 8, 1), packet(MessageType::status, 0, 2),
                                          Bytes(third.begin(), third.begin() + 10)}));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].header.type, MessageType::hello);
    EXPECT_EQ(messages[1].header.type, MessageType::status);
    EXPECT_TRUE(parser.append(Bytes()).empty());  // inside the header

    // The rest of the header and half of the payload: the header is complete but the message is not.
    EXPECT_TRUE(parser.append(Bytes(third.begin() + 10, third.begin() + 74)).empty());
    EXPECT_TRUE(parser.append(Bytes()).empty());
    messages = parser.append(Bytes(third.begin() + 74, third.end()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].payload, Bytes(third.begin() + 24, third.end()));
}

TEST(WireStreamParser, PayloadsDoNotShareStorageWithTheInput) {
    Bytes chunk = concat({packet(MessageType::videoFrame, 16, 1), packet(MessageType::videoFrame, 16, 2)});
    UmberlinWireStreamParser parser;
    const auto messages = parser.append(chunk);
    std::fill(chunk.begin(), chunk.end(), 0xEE);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].payload[0], 2);
}

TEST(WireStreamParser, AnInvalidHeaderDropsTheWholeCallAndRepeatsForever) {
    Bytes badHeader = packet(MessageType::hello, 0);
    badHeader[0] = 'X';
    UmberlinWireStreamParser parser;

    EXPECT_EQ(failureOf(parser, concat({packet(MessageType::hello, 4), badHeader})), ProtocolError::invalidMagic());
    EXPECT_EQ(failureOf(parser, packet(MessageType::hello, 4)), ProtocolError::invalidMagic());
    EXPECT_EQ(failureOf(parser, Bytes()), ProtocolError::invalidMagic());
}

TEST(WireStreamParser, AnInvalidHeaderSplitAcrossCallsFailsOnceItIsWhole) {
    Bytes badVersion = packet(MessageType::hello, 0);
    badVersion[4] = 7;
    UmberlinWireStreamParser parser;
    ASSERT_EQ(parser.append(concat({packet(MessageType::hello, 2), Bytes(badVersion.begin(), badVersion.begin() + 12)}))
                  .size(),
              1u);
    EXPECT_EQ(failureOf(parser, Bytes(badVersion.begin() + 12, badVersion.end())),
              ProtocolError::unsupportedVersion(7));
    EXPECT_EQ(failureOf(parser, Bytes(1, 0)), ProtocolError::unsupportedVersion(7));
}

TEST(WireStreamParser, OversizedAnnouncementFailsBeforeAnyPayload) {
    Bytes header = packet(MessageType::videoFrame, 0);
    header[8] = 0x04;  // 0x04000001 = 67,108,865
    header[11] = 0x01;
    UmberlinWireStreamParser parser;
    EXPECT_TRUE(parser.append(Bytes(header.begin(), header.begin() + 23)).empty());
    EXPECT_EQ(failureOf(parser, Bytes(1, header[23])), ProtocolError::payloadTooLarge(67108865));
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
