#include "Reception/NetworkCameraService.hpp"

#include <algorithm>

#include "Reception/LocalizedStandardCompare.hpp"

namespace Quillfen {
namespace {

using UmberlinPlatform::InterfaceType;
using UmberlinPlatform::NetworkInterface;

// Wired Ethernet counts only when it is a phone's cable: other wired links (the office
// LAN) would list every phone twice and connect over the slower route.
bool carriesPhones(const NetworkInterface& interface) {
    switch (interface.type) {
        case InterfaceType::wifi:
            return true;
        case InterfaceType::wiredEthernet:
            return interface.name.starts_with("anri") || interface.isPhoneUsbLink;
        case InterfaceType::loopback:
        case InterfaceType::cellular:
        case InterfaceType::other:
            return false;
    }
    return false;
}

bool listsBefore(const NetworkCameraService& a, const NetworkCameraService& b) {
    if (a.transport != b.transport) return a.transport < b.transport;
    if (const auto order = localizedStandardCompare(a.name, b.name); order != 0) return order < 0;
    return a.interface.name < b.interface.name;
}

}  // namespace

std::string_view transportWord(NetworkCameraService::Transport transport) {
    switch (transport) {
        case NetworkCameraService::Transport::wired:
            return "USB";
        case NetworkCameraService::Transport::wireless:
            return "Wi-Fi";
        case NetworkCameraService::Transport::address:
            return "IP";
    }
    return "Wi-Fi";
}

std::vector<NetworkCameraService> networkCameraServices(const std::vector<UmberlinPlatform::BrowseResult>& results) {
    std::vector<NetworkCameraService> services;
    for (const auto& result : results) {
        const auto* service = UmberlinPlatform::serviceEndpoint(result.endpoint);
        if (service == nullptr) continue;
        const std::string claimID = "camera:" + service->name + "." + service->domain;
        for (const auto& interface : result.interfaces) {
            if (!carriesPhones(interface)) continue;
            services.push_back({
                .id = claimID + ":" + interface.name,
                .claimID = claimID,
                .name = service->name,
                .endpoint = result.endpoint,
                .interface = interface,
                .transport = interface.type == InterfaceType::wiredEthernet ? NetworkCameraService::Transport::wired
                                                                            : NetworkCameraService::Transport::wireless,
            });
        }
    }
    std::stable_sort(services.begin(), services.end(), listsBefore);
    return services;
}

}  // namespace Quillfen
