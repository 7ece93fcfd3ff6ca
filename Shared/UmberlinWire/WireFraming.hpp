#pragma once
// Framing of the phone link: every message is a 24-byte big-endian header
// followed by the payload it announces.
//
//   0       4   5    6       8              12                        20              24
//   +-------+---+----+-------+---------------+-------------------------+---------------+---------
//   | "UMBR"|ver|type| flags | payloadLength | presentationTimeNanosec | sequenceNumber| payload
//   +-------+---+----+-------+---------------+-------------------------+---------------+---------

#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace UmberlinWire {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline constexpr std::uint32_t magic = 0x554D4252;  // "UMBR"
inline constexpr std::uint8_t version = 2;          // written into every packet
inline constexpr std::uint8_t minimumSupportedVersion = 1;
inline constexpr std::int64_t headerSize = 24;
inline constexpr std::int64_t maximumPayloadSize = 67'108'864;  // 64 MiB
// The stream parser's bound for the JSON messages (every type but the two media frames). Real
// ones are a few hundred bytes; a decoded document costs several times its size in memory.
inline constexpr std::int64_t maximumJsonPayloadSize = 1'048'576;  // 1 MiB

enum class MessageType : std::uint8_t {
    hello = 1,
    videoConfiguration = 2,
    videoFrame = 3,
    status = 4,
    videoOrientation = 5,
    audioConfiguration = 6,
    audioFrame = 7,
    cameraControlStatus = 8,
    cameraControlCommand = 9,
};

// The message type with this raw value, or nothing for 0 and values above 9.
std::optional<MessageType> messageTypeFromRawValue(std::uint8_t rawValue);
// The case's name as written in logs and tools ("videoFrame").
std::string_view caseName(MessageType type);

// A bit set over the header's 16 flag bits. Unknown bits are carried unchanged.
struct Flags {
    std::uint16_t rawValue = 0;

    static const Flags keyFrame;

    constexpr Flags() = default;
    constexpr explicit Flags(std::uint16_t bits) : rawValue(bits) {}

    constexpr bool contains(Flags member) const { return (rawValue & member.rawValue) == member.rawValue; }

    friend constexpr bool operator==(Flags, Flags) = default;
};
inline constexpr Flags Flags::keyFrame{std::uint16_t{0x0001}};

struct Header {
    MessageType type;
    Flags flags;
    std::uint32_t payloadLength;
    std::uint64_t presentationTimeNanoseconds;
    std::uint32_t sequenceNumber;

    friend bool operator==(const Header&, const Header&) = default;
};

struct Message {
    Header header;
    Bytes payload;

    friend bool operator==(const Message&, const Message&) = default;
};

// A malformed packet header. what() is the sentence shown to the user.
class ProtocolError : public std::exception {
public:
    enum class Case { unsupportedVersion, unknownMessageType, payloadTooLarge, truncatedHeader, invalidMagic };

    static ProtocolError unsupportedVersion(std::uint8_t versionByte);
    static ProtocolError unknownMessageType(std::uint8_t typeByte);
    static ProtocolError payloadTooLarge(std::int64_t size);
    static ProtocolError truncatedHeader();
    static ProtocolError invalidMagic();

    Case errorCase() const { return case_; }
    // The version byte, type byte or payload size the error carries; 0 for the cases without one.
    std::int64_t associatedValue() const { return value_; }
    std::string errorDescription() const;
    const char* what() const noexcept override { return description_.c_str(); }

    friend bool operator==(const ProtocolError& a, const ProtocolError& b) {
        return a.case_ == b.case_ && a.value_ == b.value_;
    }

private:
    ProtocolError(Case errorCase, std::int64_t value);

    Case case_;
    std::int64_t value_;
    std::string description_;
};

// The whole packet for a payload; throws ProtocolError::payloadTooLarge above 64 MiB.
Bytes makePacket(MessageType type, Flags flags, std::uint64_t presentationTimeNanoseconds, std::uint32_t sequenceNumber,
                 ByteView payload);

// Validates and reads the first 24 bytes of `from`; throws ProtocolError.
Header decodeHeader(ByteView from);

}  // namespace UmberlinWire
