#include "Reception/CameraAddress.hpp"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>

namespace Quillfen {
namespace {

using UmberlinPlatform::HostPortEndpoint;

constexpr std::string_view addressIDPrefix = "address:";

std::optional<std::uint16_t> portNumber(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// The numeric form of an IP address without its zone ("fe80::1%anri0" -> "fe80::1"), so that
// two spellings of one address compare equal; none for a host name.
std::optional<std::string> canonicalNumericHost(const std::string& host) {
    const std::string address = host.substr(0, host.find('%'));
    unsigned char bytes[16];
    char text[INET6_ADDRSTRLEN];
    for (int family : {AF_INET, AF_INET6}) {
        if (::inet_pton(family, address.c_str(), bytes) == 1 && ::inet_ntop(family, bytes, text, sizeof text))
            return std::string(text);
    }
    return std::nullopt;
}

bool resolvedAt(const NetworkCameraService& discovered, const HostPortEndpoint& address) {
    const auto* service = UmberlinPlatform::serviceEndpoint(discovered.endpoint);
    const auto wanted = canonicalNumericHost(address.host);
    if (!service || !wanted) return false;
    return std::any_of(service->addresses.begin(), service->addresses.end(), [&](const auto& resolved) {
        return resolved.port == address.port && resolved.interfaceIndex == discovered.interface.index &&
               canonicalNumericHost(resolved.host) == wanted;
    });
}

}  // namespace

std::optional<HostPortEndpoint> parseCameraAddress(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::string_view host;
    std::string_view port;
    if (text.starts_with('[')) {
        const auto close = text.find("]:");
        if (close == std::string_view::npos) return std::nullopt;
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
        if (host.find(':') == std::string_view::npos) return std::nullopt;
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string_view::npos || text.find(':') != colon) return std::nullopt;
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    const auto number = portNumber(port);
    const bool hostIsPlain = !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        return c == ' ' || c == '/' || c == '[' || c == ']' || static_cast<unsigned char>(c) < 0x20;
    });
    if (!number || !hostIsPlain) return std::nullopt;
    return HostPortEndpoint{std::string(host), *number};
}

std::string cameraAddressText(const HostPortEndpoint& address) {
    const bool ipv6 = address.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

NetworkCameraService addressCameraService(const HostPortEndpoint& address) {
    const std::string id = std::string(addressIDPrefix) + cameraAddressText(address);
    return NetworkCameraService{
        .id = id,
        .claimID = id,
        .name = cameraAddressText(address),
        .endpoint = address,
        .interface = {},
        .transport = NetworkCameraService::Transport::address,
    };
}

std::vector<NetworkCameraService> withAddressServices(const std::vector<NetworkCameraService>& discovered,
                                                      const std::vector<NetworkCameraService>& byAddress) {
    std::vector<NetworkCameraService> merged;
    std::vector<NetworkCameraService> added = byAddress;
    for (const NetworkCameraService& service : discovered) {
        auto same = std::find_if(added.begin(), added.end(), [&](const NetworkCameraService& entry) {
            const auto* address = std::get_if<HostPortEndpoint>(&entry.endpoint);
            return address && resolvedAt(service, *address);
        });
        if (same == added.end()) {
            merged.push_back(service);
        } else {
            same->claimID = service.claimID;
        }
    }
    merged.insert(merged.end(), added.begin(), added.end());
    return merged;
}

std::string noPhoneAnsweredSentence(const NetworkCameraService& service, const std::string& reason) {
    std::string sentence = "No phone answered at " + service.id.substr(addressIDPrefix.size()) + ".";
    if (!reason.empty()) sentence += " " + reason;
    return sentence;
}

}  // namespace Quillfen
