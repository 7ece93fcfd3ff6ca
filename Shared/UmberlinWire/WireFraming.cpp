#include "UmberlinWire/WireFraming.hpp"

#include <array>

namespace UmberlinWire {
namespace {

constexpr std::array<std::string_view, 9> messageTypeNames{
    "hello",      "videoConfiguration",  "videoFrame",           "status", "videoOrientation", "audioConfiguration",
    "audioFrame", "cameraControlStatus", "cameraControlCommand",
};

std::uint64_t readBigEndian(ByteView bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | bytes[offset + i];
    return value;
}

void appendBigEndian(Bytes& out, std::uint64_t value, std::size_t width) {
    for (std::size_t i = width; i-- > 0;) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::string describe(ProtocolError::Case errorCase, std::int64_t value) {
    switch (errorCase) {
        case ProtocolError::Case::unsupportedVersion:
            return "Wire protocol version " + std::to_string(value) + " is unsupported.";
        case ProtocolError::Case::unknownMessageType:
            return "Wire message type " + std::to_string(value) + " is unknown.";
        case ProtocolError::Case::payloadTooLarge:
            return "Wire payload size " + std::to_string(value) + " exceeds the safety limit.";
        case ProtocolError::Case::truncatedHeader:
            return "The stream header is incomplete.";
        case ProtocolError::Case::invalidMagic:
            return "The stream does not contain an Umberlin packet.";
    }
    return {};
}

}  // namespace

std::optional<MessageType> messageTypeFromRawValue(std::uint8_t rawValue) {
    if (rawValue < 1 || rawValue > messageTypeNames.size()) return std::nullopt;
    return static_cast<MessageType>(rawValue);
}

std::string_view caseName(MessageType type) { return messageTypeNames.at(static_cast<std::size_t>(type) - 1); }

ProtocolError::ProtocolError(Case errorCase, std::int64_t value)
    : case_(errorCase), value_(value), description_(describe(errorCase, value)) {}

ProtocolError ProtocolError::unsupportedVersion(std::uint8_t versionByte) {
    return {Case::unsupportedVersion, versionByte};
}
ProtocolError ProtocolError::unknownMessageType(std::uint8_t typeByte) { return {Case::unknownMessageType, typeByte}; }
ProtocolError ProtocolError::payloadTooLarge(std::int64_t size) { return {Case::payloadTooLarge, size}; }
ProtocolError ProtocolError::truncatedHeader() { return {Case::truncatedHeader, 0}; }
ProtocolError ProtocolError::invalidMagic() { return {Case::invalidMagic, 0}; }

std::string ProtocolError::errorDescription() const { return description_; }

Bytes makePacket(MessageType type, Flags flags, std::uint64_t presentationTimeNanoseconds, std::uint32_t sequenceNumber,
                 ByteView payload) {
    const auto payloadSize = static_cast<std::int64_t>(payload.size());
    if (payloadSize > maximumPayloadSize) throw ProtocolError::payloadTooLarge(payloadSize);

    Bytes packet;
    packet.reserve(payload.size() + headerSize);
    appendBigEndian(packet, magic, 4);
    packet.push_back(version);
    packet.push_back(static_cast<std::uint8_t>(type));
    appendBigEndian(packet, flags.rawValue, 2);
    appendBigEndian(packet, payload.size(), 4);
    appendBigEndian(packet, presentationTimeNanoseconds, 8);
    appendBigEndian(packet, sequenceNumber, 4);
    packet.insert(packet.end(), payload.begin(), payload.end());
    return packet;
}

Header decodeHeader(ByteView from) {
    if (from.size() < static_cast<std::size_t>(headerSize)) throw ProtocolError::truncatedHeader();
    if (readBigEndian(from, 0, 4) != magic) throw ProtocolError::invalidMagic();
    const std::uint8_t versionByte = from[4];
    if (versionByte < minimumSupportedVersion || versionByte > version)
        throw ProtocolError::unsupportedVersion(versionByte);
    const auto type = messageTypeFromRawValue(from[5]);
    if (!type) throw ProtocolError::unknownMessageType(from[5]);
    const auto payloadLength = static_cast<std::uint32_t>(readBigEndian(from, 8, 4));
    if (payloadLength > maximumPayloadSize) throw ProtocolError::payloadTooLarge(payloadLength);

    return Header{
        .type = *type,
        .flags = Flags(static_cast<std::uint16_t>(readBigEndian(from, 6, 2))),
        .payloadLength = payloadLength,
        .presentationTimeNanoseconds = readBigEndian(from, 12, 8),
        .sequenceNumber = static_cast<std::uint32_t>(readBigEndian(from, 20, 4)),
    };
}

}  // namespace UmberlinWire
