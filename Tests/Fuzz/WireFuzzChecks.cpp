#include "Fuzz/WireFuzzChecks.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace UmberlinWire::FuzzChecks {
namespace {

[[noreturn]] void fail(const std::string& what) { throw CheckFailure(what); }

std::string describe(const Message& message) {
    return std::string(caseName(message.header.type)) + " #" + std::to_string(message.header.sequenceNumber) +
           " announcing " + std::to_string(message.header.payloadLength) + " bytes, carrying " +
           std::to_string(message.payload.size());
}

std::string describe(const std::vector<Message>& messages) {
    std::string text = std::to_string(messages.size()) + " message(s)";
    for (const Message& message : messages) text += "; " + describe(message);
    return text;
}

// What one append call produced: messages, or the error it failed with.
struct CallResult {
    std::vector<Message> messages;
    std::optional<ProtocolError> error;
};

// Stream reassembly written as plainly as possible: keep every byte received, cut whole
// packets off the front. Quadratic, which is fine for inputs of a few kilobytes.
class ReferenceReassembler {
public:
    CallResult append(ByteView chunk) {
        buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
        CallResult result;
        while (buffer_.size() >= static_cast<std::size_t>(headerSize)) {
            Header header;
            try {
                header = decodeHeader(buffer_);
                if (header.type != MessageType::videoFrame && header.type != MessageType::audioFrame &&
                    header.payloadLength > maximumJsonPayloadSize)
                    throw ProtocolError::payloadTooLarge(header.payloadLength);
            } catch (const ProtocolError& error) {
                result.messages.clear();
                result.error = error;
                return result;
            }
            const std::size_t total = headerSize + header.payloadLength;
            if (buffer_.size() < total) break;
            Message message{header, Bytes(buffer_.begin() + headerSize, buffer_.begin() + total)};
            checkPacketRebuilds(message, ByteView(buffer_).first(total));
            result.messages.push_back(std::move(message));
            buffer_.erase(buffer_.begin(), buffer_.begin() + total);
        }
        return result;
    }

private:
    // Building a packet from a decoded message gives back the received bytes; only the
    // version byte may differ, since builders always write the current version.
    static void checkPacketRebuilds(const Message& message, ByteView received) {
        Bytes expected(received.begin(), received.end());
        expected[4] = version;
        const Bytes rebuilt =
            makePacket(message.header.type, message.header.flags, message.header.presentationTimeNanoseconds,
                       message.header.sequenceNumber, message.payload);
        if (rebuilt != expected) fail("makePacket does not rebuild the received packet of " + describe(message));
    }

    Bytes buffer_;
};

// The chunks the input asks for. Empty chunks are default spans (no data pointer), as a
// caller with an empty buffer passes them.
std::vector<ByteView> cutIntoChunks(ByteView lengths, ByteView stream) {
    std::vector<ByteView> chunks;
    const bool anyProgress = std::any_of(lengths.begin(), lengths.end(), [](std::uint8_t n) { return n > 0; });
    if (!anyProgress) {
        for (std::size_t i = 0; i < lengths.size(); ++i) chunks.emplace_back();
        chunks.push_back(stream);
        return chunks;
    }
    std::size_t offset = 0;
    for (std::size_t i = 0; offset < stream.size(); ++i) {
        const std::size_t length = std::min<std::size_t>(lengths[i % lengths.size()], stream.size() - offset);
        chunks.push_back(length == 0 ? ByteView() : stream.subspan(offset, length));
        offset += length;
    }
    return chunks;
}

class ParserRun {
public:
    void feed(ByteView chunk) {
        ++call_;
        bytesFed_ += chunk.size();
        const CallResult expected = reference_.append(chunk);
        CallResult actual;
        try {
            actual.messages = parser_.append(chunk);
        } catch (const ProtocolError& error) {
            actual.error = error;
        }

        if (failure_) {
            if (!actual.error)
                fail(where(chunk) + "returned " + describe(actual.messages) + " after failing with \"" +
                     failure_->what() + "\"");
            if (!(*actual.error == *failure_))
                fail(where(chunk) + "failed with \"" + actual.error->what() + "\" after failing with \"" +
                     failure_->what() + "\"");
        }
        if (actual.error) {
            if (!expected.error)
                fail(where(chunk) + "failed with \"" + actual.error->what() + "\"; expected " +
                     describe(expected.messages));
            if (!(*actual.error == *expected.error))
                fail(where(chunk) + "failed with \"" + actual.error->what() + "\"; expected \"" +
                     expected.error->what() + "\"");
            if (actual.error->errorDescription() != actual.error->what())
                fail(where(chunk) + "error description and what() differ");
            failure_ = actual.error;
            return;
        }
        if (expected.error)
            fail(where(chunk) + "returned " + describe(actual.messages) + "; expected the error \"" +
                 expected.error->what() + "\"");

        for (const Message& message : actual.messages) {
            if (message.payload.size() != message.header.payloadLength)
                fail(where(chunk) + "returned " + describe(message));
            bytesDelivered_ += headerSize + message.payload.size();
        }
        if (bytesDelivered_ > bytesFed_)
            fail(where(chunk) + "delivered " + std::to_string(bytesDelivered_) + " bytes of messages from " +
                 std::to_string(bytesFed_) + " bytes fed");
        if (actual.messages != expected.messages)
            fail(where(chunk) + "returned " + describe(actual.messages) + "; expected " + describe(expected.messages));
    }

private:
    std::string where(ByteView chunk) const {
        return "append call " + std::to_string(call_) + " (" + std::to_string(chunk.size()) + " bytes) ";
    }

    UmberlinWireStreamParser parser_;
    ReferenceReassembler reference_;
    std::optional<ProtocolError> failure_;
    std::size_t call_ = 0;
    std::size_t bytesFed_ = 0;
    std::size_t bytesDelivered_ = 0;
};

template <typename Record> void checkRoundTrip(ByteView input, const char* recordName) {
    std::optional<Record> decoded;
    try {
        decoded = decode<Record>(input);
    } catch (const DecodingError&) {
        return;  // refusing a payload is always allowed
    }
    const std::string name(recordName);
    Bytes document;
    try {
        document = encode(*decoded);
    } catch (const EncodingError& error) {
        fail(name + " decodes but cannot be encoded again: " + error.what());
    }
    const std::string text(document.begin(), document.end());
    std::optional<Record> again;
    try {
        again = decode<Record>(document);
    } catch (const DecodingError& error) {
        fail(name + " encodes to " + text + ", which does not decode: " + error.what());
    }
    // Number fields are finite here (encoding refuses NaN), so equality is meaningful.
    if (!(*again == *decoded)) fail(name + " changes when encoded to " + text + " and decoded again");
    if (encode(*again) != document) fail(name + " encodes differently after a round trip through " + text);
}

}  // namespace

void checkStreamParser(ByteView input) {
    if (input.empty()) return;
    const std::size_t lengthCount = std::min<std::size_t>(input[0] % 8, input.size() - 1);
    const ByteView lengths = input.subspan(1, lengthCount);
    const ByteView stream = input.subspan(1 + lengthCount);

    ParserRun run;
    for (ByteView chunk : cutIntoChunks(lengths, stream)) run.feed(chunk);
    // Afterwards an empty chunk changes nothing, and a whole packet completes whatever was
    // pending in front of it; a failed parser keeps failing the same way.
    run.feed(ByteView());
    run.feed(makePacket(MessageType::status, Flags::keyFrame, 1, 2, Bytes{'{', '}'}));
}

void checkPayloadDecoders(ByteView input) {
    checkRoundTrip<Hello>(input, "Hello");
    checkRoundTrip<VideoConfiguration>(input, "VideoConfiguration");
    checkRoundTrip<DeviceStatus>(input, "DeviceStatus");
    checkRoundTrip<VideoOrientation>(input, "VideoOrientation");
    checkRoundTrip<AudioConfiguration>(input, "AudioConfiguration");
    checkRoundTrip<CameraControlStatus>(input, "CameraControlStatus");
    checkRoundTrip<CameraControlCommand>(input, "CameraControlCommand");
}

}  // namespace UmberlinWire::FuzzChecks
