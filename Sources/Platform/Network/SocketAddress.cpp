#include "Network/SocketAddress.hpp"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>

#include "Network/NetworkErrors.hpp"

namespace UmberlinPlatform {
namespace {

unsigned interfaceIndexOf(const NetworkInterface& networkInterface) {
    return networkInterface.index != 0 ? networkInterface.index : ::if_nametoindex(networkInterface.name.c_str());
}

std::optional<SocketAddress> numericAddress(const std::string& host, std::uint16_t port, unsigned scopeInterfaceIndex) {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    SocketAddress address;
    std::memcpy(&address.storage, found->ai_addr, found->ai_addrlen);
    address.length = found->ai_addrlen;
    ::freeaddrinfo(found);
    if (address.family() == AF_INET6) {
        auto* ipv6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
        if (ipv6->sin6_scope_id == 0 && IN6_IS_ADDR_LINKLOCAL(&ipv6->sin6_addr))
            ipv6->sin6_scope_id = scopeInterfaceIndex;
    }
    return address;
}

std::variant<SocketAddress, NetworkError> serviceAddress(const ServiceEndpoint& service,
                                                         const std::optional<NetworkInterface>& requiredInterface) {
    const unsigned wantedIndex = requiredInterface ? interfaceIndexOf(*requiredInterface) : 0;
    for (const ResolvedServiceAddress& resolved : service.addresses) {
        if (requiredInterface && resolved.interfaceIndex != wantedIndex) continue;
        if (auto address = numericAddress(resolved.host, resolved.port, resolved.interfaceIndex)) return *address;
    }
    std::string where = requiredInterface ? " on " + requiredInterface->name : std::string();
    return networkErrorWithDescription("The service \u201C" + service.name + "\u201D has no known address" + where +
                                       ".");
}

// A host name the user typed, looked up by the system's resolver (hosts file, DNS, mDNS as
// the system is set up); the first address it offers is used.
std::variant<SocketAddress, NetworkError> namedAddress(const HostPortEndpoint& host) {
    addrinfo hints{};
    hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.host.c_str(), std::to_string(host.port).c_str(), &hints, &found) != 0 || found == nullptr)
        return networkErrorWithDescription("No address was found for \u201C" + host.host + "\u201D.");
    SocketAddress address;
    std::memcpy(&address.storage, found->ai_addr, found->ai_addrlen);
    address.length = found->ai_addrlen;
    ::freeaddrinfo(found);
    return address;
}

}  // namespace

std::variant<SocketAddress, NetworkError> socketAddressFor(const NetworkEndpoint& endpoint,
                                                           const std::optional<NetworkInterface>& requiredInterface) {
    if (const ServiceEndpoint* service = serviceEndpoint(endpoint)) return serviceAddress(*service, requiredInterface);
    const auto& host = std::get<HostPortEndpoint>(endpoint);
    const unsigned scope = requiredInterface ? interfaceIndexOf(*requiredInterface) : 0;
    if (auto address = numericAddress(host.host, host.port, scope)) return *address;
    return namedAddress(host);
}

std::optional<NetworkError> pinSocketToInterface(int socketDescriptor, int family,
                                                 const NetworkInterface& networkInterface) {
    const std::string& name = networkInterface.name;
    if (::setsockopt(socketDescriptor, SOL_SOCKET, SO_BINDTODEVICE, name.c_str(),
                     static_cast<socklen_t>(name.size())) == 0) {
        return std::nullopt;
    }
    if (errno != EPERM && errno != EACCES) return networkErrorFromErrno(errno);

    ifaddrs* addresses = nullptr;
    if (::getifaddrs(&addresses) != 0) return networkErrorFromErrno(errno);
    std::optional<NetworkError> failure =
        networkErrorWithDescription("The network interface " + name + " has no address to connect from.");
    for (ifaddrs* entry = addresses; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != family || name != entry->ifa_name) continue;
        socklen_t length = family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
        sockaddr_storage local{};
        std::memcpy(&local, entry->ifa_addr, length);
        failure = ::bind(socketDescriptor, reinterpret_cast<sockaddr*>(&local), length) == 0
                      ? std::nullopt
                      : std::optional(networkErrorFromErrno(errno));
        break;
    }
    ::freeifaddrs(addresses);
    return failure;
}

std::string describeSocketAddress(const sockaddr* address, socklen_t length) {
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if (::getnameinfo(address, length, host, sizeof host, service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) !=
        0) {
        return "unknown address";
    }
    if (address->sa_family == AF_INET6) return std::string("[") + host + "]:" + service;
    return std::string(host) + ":" + service;
}

}  // namespace UmberlinPlatform
