#include "WireTestClient.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace SimulatorTests {

using namespace UmberlinWire;

WireTestClient::WireTestClient(int port) {
    descriptor_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (descriptor_ < 0 || connect(descriptor_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (descriptor_ >= 0) close(descriptor_);
        throw std::runtime_error("cannot connect to the simulator on port " + std::to_string(port));
    }
}

WireTestClient::~WireTestClient() { close(descriptor_); }

bool WireTestClient::receive(std::chrono::steady_clock::time_point deadline) {
    if (closed_) return false;
    const auto remaining =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd wait{descriptor_, POLLIN, 0};
    if (poll(&wait, 1, static_cast<int>(std::max<std::int64_t>(0, remaining.count()))) <= 0) return true;
    std::uint8_t chunk[65536];
    const ssize_t count = recv(descriptor_, chunk, sizeof chunk, 0);
    if (count <= 0) {
        closed_ = true;
        return false;
    }
    received_.insert(received_.end(), chunk, chunk + count);
    if (streamError_) return true;
    try {
        for (Message& message : parser_.append(ByteView(chunk, static_cast<std::size_t>(count))))
            pending_.push_back(std::move(message));
    } catch (const ProtocolError& error) {
        streamError_ = error;
    }
    return true;
}

std::optional<Message> WireTestClient::nextMessage(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pending_.empty()) {
        if (streamError_) throw *streamError_;
        if (std::chrono::steady_clock::now() >= deadline || !receive(deadline)) return std::nullopt;
    }
    Message message = std::move(pending_.front());
    pending_.pop_front();
    return message;
}

std::optional<Message> WireTestClient::nextMessageOfType(MessageType type, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) return std::nullopt;
        std::optional<Message> message = nextMessage(remaining);
        if (!message || message->header.type == type) return message;
    }
}

bool WireTestClient::waitForClose(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!closed_ && std::chrono::steady_clock::now() < deadline) receive(deadline);
    return closed_;
}

void WireTestClient::drainFor(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < deadline && receive(deadline)) {
    }
}

void WireTestClient::sendCommandPayload(ByteView payload) {
    sendRaw(makePacket(MessageType::cameraControlCommand, Flags(), 0, sequenceNumber_++, payload));
}

void WireTestClient::sendRaw(ByteView bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = send(descriptor_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) throw std::runtime_error("sending to the simulator failed");
        sent += static_cast<std::size_t>(count);
    }
}

}  // namespace SimulatorTests
