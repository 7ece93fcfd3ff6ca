#include "PeerConnection.hpp"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "StopSignal.hpp"

namespace UmberlinTools {
namespace {

constexpr std::size_t maximumReceiveBatch = 1 << 20;

int millisecondsUntil(SteadyTime deadline) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, remaining.count()));
}

}  // namespace

PeerConnection::PeerConnection(int descriptor) : descriptor_(descriptor) {
    fcntl(descriptor_, F_SETFL, fcntl(descriptor_, F_GETFL) | O_NONBLOCK);
    const int enabled = 1;
    setsockopt(descriptor_, IPPROTO_TCP, TCP_NODELAY, &enabled, sizeof enabled);
}

PeerConnection::~PeerConnection() { close(descriptor_); }

PeerConnection::SendResult PeerConnection::sendAll(UmberlinWire::ByteView bytes) {
    std::size_t sent = 0;
    SteadyTime deadline = std::chrono::steady_clock::now() + sendTimeout;
    while (sent < bytes.size()) {
        const ssize_t written = send(descriptor_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (written > 0) {
            sent += static_cast<std::size_t>(written);
            deadline = std::chrono::steady_clock::now() + sendTimeout;
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return SendResult::peerGone;
        if (StopSignal::requested()) return SendResult::stopped;
        if (std::chrono::steady_clock::now() >= deadline) return SendResult::peerNotReading;
        pollfd waits[2] = {{descriptor_, POLLOUT, 0}, {StopSignal::wakeDescriptor(), POLLIN, 0}};
        poll(waits, 2, millisecondsUntil(deadline));
        if (waits[1].revents != 0) return SendResult::stopped;
    }
    return SendResult::sent;
}

PeerConnection::WaitResult PeerConnection::waitReadable(SteadyTime deadline, int watched) {
    for (;;) {
        pollfd waits[3] = {{descriptor_, POLLIN, 0}, {StopSignal::wakeDescriptor(), POLLIN, 0}, {watched, POLLIN, 0}};
        const int ready = poll(waits, watched >= 0 ? 3 : 2, millisecondsUntil(deadline));
        if (waits[1].revents != 0 || StopSignal::requested()) return WaitResult::stopped;
        if (ready > 0 && waits[0].revents != 0) return WaitResult::readable;
        if (ready > 0 && waits[2].revents != 0) return WaitResult::watchedReadable;
        if (ready == 0 || std::chrono::steady_clock::now() >= deadline) return WaitResult::deadlineReached;
    }
}

std::optional<UmberlinWire::Bytes> PeerConnection::receiveAvailable() {
    UmberlinWire::Bytes received;
    std::uint8_t chunk[16384];
    for (;;) {
        const ssize_t count = recv(descriptor_, chunk, sizeof chunk, 0);
        if (count > 0) {
            received.insert(received.end(), chunk, chunk + count);
            if (received.size() >= maximumReceiveBatch) return received;  // the rest waits for the next call
            continue;
        }
        if (count == 0) return std::nullopt;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return received;
        return std::nullopt;
    }
}

}  // namespace UmberlinTools
