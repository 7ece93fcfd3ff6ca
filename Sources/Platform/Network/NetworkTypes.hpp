#pragma once
// Values shared by the service browser and the connection ports: interfaces, endpoints,
// errors, paths and parameters.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace UmberlinPlatform {

enum class InterfaceType { wifi, wiredEthernet, loopback, cellular, other };

// One network interface of this machine.
struct NetworkInterface {
    std::string name;  // "wlan0", "anri0", "enx0a1b2c3d4e5f"
    InterfaceType type = InterfaceType::other;
    unsigned index = 0;           // the kernel's interface index; 0 when unknown
    bool isPhoneUsbLink = false;  // wired link through a USB tethering driver (a phone's cable)

    friend bool operator==(const NetworkInterface&, const NetworkInterface&) = default;
};

// Where a DNS-SD service was resolved on one interface.
struct ResolvedServiceAddress {
    unsigned interfaceIndex = 0;
    std::string host;  // numeric address, "10.77.0.2" or "fe80::1"
    std::uint16_t port = 0;

    friend bool operator==(const ResolvedServiceAddress&, const ResolvedServiceAddress&) = default;
};

// A DNS-SD service instance as found by the browser. The browser also records where the
// service resolved on each interface it was seen on, so a connection needs no second lookup.
struct ServiceEndpoint {
    std::string name;    // instance name as advertised, "Studio iPhone"
    std::string type;    // "_umberlin-camera._tcp"
    std::string domain;  // "local"
    std::vector<ResolvedServiceAddress> addresses;

    friend bool operator==(const ServiceEndpoint&, const ServiceEndpoint&) = default;
};

// A numeric host address and port, for tools and tests that connect without discovery.
struct HostPortEndpoint {
    std::string host;  // "127.0.0.1", "10.77.0.2", "::1"
    std::uint16_t port = 0;

    friend bool operator==(const HostPortEndpoint&, const HostPortEndpoint&) = default;
};

using NetworkEndpoint = std::variant<ServiceEndpoint, HostPortEndpoint>;

// The service endpoint inside `endpoint`, or null when it is not a DNS-SD service.
inline const ServiceEndpoint* serviceEndpoint(const NetworkEndpoint& endpoint) {
    return std::get_if<ServiceEndpoint>(&endpoint);
}

// A failure reported by the network stack.
struct NetworkError {
    int code = 0;                      // errno value, or 0 for failures without one
    std::string localizedDescription;  // one sentence for the user, "Connection refused."

    friend bool operator==(const NetworkError&, const NetworkError&) = default;
};

// Why a path cannot be used. Only what this platform can tell is ever reported.
enum class UnsatisfiedReason { notAvailable, localNetworkDenied };

// The route a connection uses.
struct NetworkPath {
    std::optional<UnsatisfiedReason> unsatisfiedReason;  // none while the path is usable
    std::string debugDescription;                        // "satisfied, tcp 10.77.0.1:41234 -> 10.77.0.2:7070 via anri0"

    friend bool operator==(const NetworkPath&, const NetworkPath&) = default;
};

struct NetworkParameters {
    bool includePeerToPeer = false;                     // no effect on Linux; kept for the logic
    std::optional<NetworkInterface> requiredInterface;  // connections stay on this interface
};

}  // namespace UmberlinPlatform
