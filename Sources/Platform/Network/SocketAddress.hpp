#pragma once
// Socket addresses for connections: where an endpoint leads, pinning a socket to an
// interface, and addresses as text.

#include <sys/socket.h>

#include <optional>
#include <string>
#include <variant>

#include "Network/NetworkTypes.hpp"

namespace UmberlinPlatform {

struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int family() const { return storage.ss_family; }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

// The address to connect to for `endpoint`. A service endpoint leads to the address the
// browser resolved on `requiredInterface` (or its first one without a required interface);
// a host endpoint's numeric address is used as it is, and a host name is looked up by the
// system's resolver (on the connection's own thread: the lookup may take a while).
std::variant<SocketAddress, NetworkError> socketAddressFor(const NetworkEndpoint& endpoint,
                                                           const std::optional<NetworkInterface>& requiredInterface);

// Keeps the socket's traffic on `networkInterface`: SO_BINDTODEVICE, or binding to the
// interface's own address of the socket's family when the option is not permitted.
std::optional<NetworkError> pinSocketToInterface(int socketDescriptor, int family,
                                                 const NetworkInterface& networkInterface);

// "10.77.0.2:7070", "[fe80::1%anri0]:7070".
std::string describeSocketAddress(const sockaddr* address, socklen_t length);

}  // namespace UmberlinPlatform
