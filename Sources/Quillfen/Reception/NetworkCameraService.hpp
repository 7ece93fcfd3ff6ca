#pragma once
// One discovered phone on one network interface, and how browse results become the list
// of phones a window can pick from.

#include <string>
#include <string_view>
#include <vector>

#include "Network/NetworkTypes.hpp"
#include "Network/ServiceBrowser.hpp"

namespace Quillfen {

struct NetworkCameraService {
    // `address`: a phone the user added by its address (Reception/CameraAddress.hpp),
    // reached over whatever route the system picks.
    enum class Transport { wired, wireless, address };

    // "camera:" + name + "." + domain + ":" + interface name; unique per phone and interface.
    std::string id;
    // The id without the interface suffix: the same for every entry of one phone.
    std::string claimID;
    // The DNS-SD instance name as advertised.
    std::string name;
    // Used unchanged to connect.
    UmberlinPlatform::NetworkEndpoint endpoint;
    // The connection is pinned to this interface; none (an empty name) for a phone added by address.
    UmberlinPlatform::NetworkInterface interface;
    Transport transport;

    friend bool operator==(const NetworkCameraService&, const NetworkCameraService&) = default;
};

// "USB" for wired, "Wi-Fi" for wireless, "IP" for a phone added by address, as diagnostics
// and status sentences print them.
std::string_view transportWord(NetworkCameraService::Transport transport);

// The phones in a complete browse result set: one entry per phone and qualifying
// interface (Wi-Fi; wired Ethernet named "anri..." or flagged as a phone's USB link),
// wired before wireless, then by name as a file browser orders them, then by interface
// name. Results that are not DNS-SD services are skipped.
std::vector<NetworkCameraService> networkCameraServices(const std::vector<UmberlinPlatform::BrowseResult>& results);

}  // namespace Quillfen
