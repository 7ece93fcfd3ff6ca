#include <gtest/gtest.h>

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinWire {
namespace {

Bytes headerBytes(std::uint8_t versionByte, std::uint8_t typeByte, std::uint32_t length,
                  std::uint32_t magicValue = magic) {
    Bytes bytes(headerSize, 0);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(magicValue >> (24 - 8 * i));
    bytes[4] = versionByte;
    bytes[5] = typeByte;
    for (int i = 0; i < 4; ++i) bytes[8 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    return bytes;
}

ProtocolError decodeFailure(const Bytes& bytes) {
    try {
        decodeHeader(bytes);
    } catch (const ProtocolError& error) {
        return error;
    }
    ADD_FAILURE() << "the header decoded";
    return ProtocolError::truncatedHeader();
}

TEST(WireFraming, CommandPacketHasTheExactWireLayout) {
    const Bytes payload{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    const Bytes packet = makePacket(MessageType::cameraControlCommand, Flags(), 0, 5, payload);

    const Bytes expectedHeader{0x55, 0x4D, 0x42, 0x52, 0x02, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A,
                               0,    0,    0,    0,    0,    0,    0,    0,    0x00, 0x00, 0x00, 0x05};
    ASSERT_EQ(packet.size(), 34u);
    EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 24), expectedHeader);
    EXPECT_EQ(Bytes(packet.begin() + 24, packet.end()), payload);
}

TEST(WireFraming, EveryFieldSurvivesARoundTripBigEndian) {
    const Bytes packet =
        makePacket(MessageType::videoFrame, Flags(0xFFFF), 0x0102030405060708ull, 0xA1B2C3D4u, Bytes(3, 7));
    EXPECT_EQ(packet[12], 0x01);
    EXPECT_EQ(packet[19], 0x08);
    EXPECT_EQ(packet[20], 0xA1);

    const Header header = decodeHeader(packet);
    EXPECT_EQ(header, (Header{MessageType::videoFrame, Flags(0xFFFF), 3, 0x0102030405060708ull, 0xA1B2C3D4u}));
    EXPECT_TRUE(header.flags.contains(Flags::keyFrame));
}

TEST(WireFraming, VersionOneAndTwoHeadersReadAlike) {
    const Header one = decodeHeader(headerBytes(1, 1, 0));
    EXPECT_EQ(one, (Header{MessageType::hello, Flags(), 0, 0, 0}));
    EXPECT_EQ(decodeHeader(headerBytes(2, 1, 0)), one);
}

TEST(WireFraming, InvalidHeadersFailInCheckOrderWithTheirSentences) {
    EXPECT_EQ(decodeFailure(headerBytes(0, 1, 0)), ProtocolError::unsupportedVersion(0));
    EXPECT_EQ(decodeFailure(headerBytes(3, 1, 0)), ProtocolError::unsupportedVersion(3));
    EXPECT_EQ(decodeFailure(headerBytes(2, 0, 0)), ProtocolError::unknownMessageType(0));
    EXPECT_EQ(decodeFailure(headerBytes(2, 10, 0)), ProtocolError::unknownMessageType(10));
    // The magic is checked before the version, the version before the type.
    EXPECT_EQ(decodeFailure(headerBytes(9, 0, 0, 0x554D4253)), ProtocolError::invalidMagic());
    EXPECT_EQ(decodeFailure(headerBytes(9, 0, 0)), ProtocolError::unsupportedVersion(9));
    EXPECT_EQ(decodeFailure(headerBytes(2, 0, 0xFFFFFFFF)), ProtocolError::unknownMessageType(0));
    EXPECT_EQ(decodeFailure(Bytes(23, 0x55)), ProtocolError::truncatedHeader());
    EXPECT_EQ(decodeFailure(Bytes()), ProtocolError::truncatedHeader());

    EXPECT_STREQ(ProtocolError::unsupportedVersion(7).what(), "Wire protocol version 7 is unsupported.");
    EXPECT_STREQ(ProtocolError::unknownMessageType(10).what(), "Wire message type 10 is unknown.");
    EXPECT_STREQ(ProtocolError::payloadTooLarge(70000000).what(),
                 "Wire payload size 70000000 exceeds the safety limit.");
    EXPECT_STREQ(ProtocolError::truncatedHeader().what(), "The stream header is incomplete.");
    EXPECT_STREQ(ProtocolError::invalidMagic().what(), "The stream does not contain an Umberlin packet.");
    EXPECT_NE(ProtocolError::unsupportedVersion(0), ProtocolError::unsupportedVersion(3));
}

TEST(WireFraming, PayloadLimitIsSixtyFourMebibytesInclusive) {
    EXPECT_EQ(decodeHeader(headerBytes(2, 3, 67108864)).payloadLength, 67108864u);
    EXPECT_EQ(decodeFailure(headerBytes(2, 3, 67108865)), ProtocolError::payloadTooLarge(67108865));
    EXPECT_EQ(decodeFailure(headerBytes(2, 3, 0xFFFFFFFF)), ProtocolError::payloadTooLarge(4294967295));

    EXPECT_EQ(makePacket(MessageType::videoFrame, Flags(), 0, 0, Bytes(67108864)).size(), 67108864u + 24);
    try {
        makePacket(MessageType::videoFrame, Flags(), 0, 0, Bytes(67108865));
        ADD_FAILURE() << "an oversized payload was framed";
    } catch (const ProtocolError& error) {
        EXPECT_EQ(error, ProtocolError::payloadTooLarge(67108865));
    }
}

TEST(WireFraming, BytesAfterTheHeaderNeverMatter) {
    Bytes bytes = headerBytes(2, 4, 1);
    const Header header = decodeHeader(bytes);
    bytes.insert(bytes.end(), {0xFF, 0x00, 0x55});
    EXPECT_EQ(decodeHeader(bytes), header);
}

}  // namespace
}  // namespace UmberlinWire
