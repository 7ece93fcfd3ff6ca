#include "TcpListener.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace UmberlinTools {

std::string describeSocketAddress(const void* socketAddress) {
    const auto* generic = static_cast<const sockaddr*>(socketAddress);
    char text[INET6_ADDRSTRLEN] = "?";
    if (generic->sa_family == AF_INET6) {
        const auto* address = static_cast<const sockaddr_in6*>(socketAddress);
        inet_ntop(AF_INET6, &address->sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(address->sin6_port));
    }
    const auto* address = static_cast<const sockaddr_in*>(socketAddress);
    inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address->sin_port));
}

TcpListener::TcpListener(const std::string& address, int port) : address_(address) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
    addrinfo* found = nullptr;
    if (const int status = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found); status != 0)
        throw std::runtime_error("cannot listen on " + address + ": " + gai_strerror(status));

    descriptor_ = socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int reuse = 1;
    if (descriptor_ >= 0) setsockopt(descriptor_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    const bool listening =
        descriptor_ >= 0 && bind(descriptor_, found->ai_addr, found->ai_addrlen) == 0 && listen(descriptor_, 4) == 0;
    const int error = errno;
    freeaddrinfo(found);
    if (!listening) {
        if (descriptor_ >= 0) close(descriptor_);
        throw std::runtime_error("cannot listen on " + address + " port " + std::to_string(port) + ": " +
                                 std::strerror(error));
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(descriptor_, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                        : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

TcpListener::~TcpListener() { close(descriptor_); }

std::vector<std::string> TcpListener::refuseWaitingClients() {
    std::vector<std::string> refused;
    for (;;) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int client = accept4(descriptor_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (client < 0) return refused;  // none left (the listening socket does not block)
        close(client);
        refused.push_back(describeSocketAddress(&peer));
    }
}

std::optional<AcceptedClient> TcpListener::accept(int wakeDescriptor) {
    for (;;) {
        pollfd waits[2] = {{descriptor_, POLLIN, 0}, {wakeDescriptor, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR) throw std::runtime_error("waiting for a client failed");
        if (waits[1].revents != 0) return std::nullopt;
        if (waits[0].revents == 0) continue;
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int client = accept4(descriptor_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (client < 0) continue;  // the client gave up before we got to it
        return AcceptedClient{client, describeSocketAddress(&peer)};
    }
}

}  // namespace UmberlinTools
