#include "UmberlinWire/WireStreamParser.hpp"

#include <algorithm>
#include <cstring>

namespace UmberlinWire {
namespace {

// decodeHeader, plus the parser's own bound on JSON payloads.
Header decodeStreamHeader(ByteView bytes) {
    const Header header = decodeHeader(bytes);
    const bool media = header.type == MessageType::videoFrame || header.type == MessageType::audioFrame;
    if (!media && header.payloadLength > maximumJsonPayloadSize)
        throw ProtocolError::payloadTooLarge(header.payloadLength);
    return header;
}

}  // namespace

// Messages are cut straight out of the caller's chunk; only a packet that straddles two
// chunks is held back. Each payload is copied exactly once, into the buffer the message
// owns, and each chunk byte is looked at once, so a call costs time linear in its size.
std::vector<Message> UmberlinWireStreamParser::append(ByteView chunk) {
    if (failure_) throw *failure_;

    std::vector<Message> completed;
    std::size_t offset = continuePendingPacket(chunk, completed);
    if (pendingHeaderSize_ > 0) return completed;  // the chunk ended inside that packet

    while (chunk.size() - offset >= headerSize) {
        const ByteView rest = chunk.subspan(offset);
        Header header;
        try {
            header = decodeStreamHeader(rest);
        } catch (const ProtocolError& error) {
            failWith(error, rest.first(headerSize));
        }
        const std::size_t total = headerSize + header.payloadLength;
        if (rest.size() < total) break;
        const ByteView payload = rest.subspan(headerSize, header.payloadLength);
        completed.push_back(Message{header, Bytes(payload.begin(), payload.end())});
        offset += total;
    }
    keepRemainder(chunk.subspan(offset));
    return completed;
}

std::size_t UmberlinWireStreamParser::continuePendingPacket(ByteView chunk, std::vector<Message>& completed) {
    if (pendingHeaderSize_ == 0) return 0;
    std::size_t taken = 0;

    if (!pendingDecodedHeader_) {
        taken = std::min<std::size_t>(headerSize - pendingHeaderSize_, chunk.size());
        std::copy_n(chunk.begin(), taken, pendingHeader_.begin() + pendingHeaderSize_);
        pendingHeaderSize_ += taken;
        if (pendingHeaderSize_ < headerSize) return taken;
        try {
            pendingDecodedHeader_ = decodeStreamHeader(pendingHeader_);
        } catch (const ProtocolError& error) {
            failWith(error, pendingHeader_);
        }
    }

    const std::size_t missing = pendingDecodedHeader_->payloadLength - pendingPayload_.size();
    const ByteView more = chunk.subspan(taken, std::min(missing, chunk.size() - taken));
    // Memory follows the bytes that arrived, never what the header merely announces; the
    // capacity doubles at most, and never beyond the announced length.
    if (pendingPayload_.capacity() < pendingPayload_.size() + more.size())
        pendingPayload_.reserve(
            std::min<std::size_t>(pendingDecodedHeader_->payloadLength,
                                  std::max(pendingPayload_.size() + more.size(), 2 * pendingPayload_.capacity())));
    pendingPayload_.insert(pendingPayload_.end(), more.begin(), more.end());
    taken += more.size();
    if (pendingPayload_.size() == pendingDecodedHeader_->payloadLength) {
        completed.push_back(Message{*pendingDecodedHeader_, std::move(pendingPayload_)});
        pendingPayload_ = Bytes();
        pendingDecodedHeader_.reset();
        pendingHeaderSize_ = 0;
    }
    return taken;
}

// Holds back the start of a packet that the chunk does not complete. The caller has
// already checked that a whole header in it is valid.
void UmberlinWireStreamParser::keepRemainder(ByteView remainder) {
    if (remainder.empty()) return;
    const std::size_t headerBytes = std::min<std::size_t>(remainder.size(), headerSize);
    std::memcpy(pendingHeader_.data(), remainder.data(), headerBytes);
    pendingHeaderSize_ = headerBytes;
    if (headerBytes < headerSize) return;
    pendingDecodedHeader_ = decodeStreamHeader(pendingHeader_);
    pendingPayload_.assign(remainder.begin() + headerSize, remainder.end());
}

void UmberlinWireStreamParser::failWith(const ProtocolError& error, ByteView offendingHeader) {
    // The offending header may already be the pending one; memmove allows the overlap.
    std::memmove(pendingHeader_.data(), offendingHeader.data(), headerSize);
    pendingHeaderSize_ = headerSize;
    pendingDecodedHeader_.reset();
    pendingPayload_ = Bytes();
    failure_ = error;
    throw error;
}

}  // namespace UmberlinWire
