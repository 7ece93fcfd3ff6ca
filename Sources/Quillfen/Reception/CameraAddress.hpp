#pragma once
// Phones reached by the address the user typed, for networks where DNS-SD does not get
// through (guest Wi-Fi, client isolation, a VM, a USB link without multicast).
//
// Identity: a phone added by address is one more NetworkCameraService, "address:" + its
// address text as id and claim. When discovery finds a phone that resolved at the same numeric
// address and port, the two are one phone: the address entry takes the discovered phone's
// claim, and the discovered entry on that link is not listed beside it. A host name is never
// looked up here, so a phone typed by name is matched with nothing discovered.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Network/NetworkTypes.hpp"
#include "Reception/NetworkCameraService.hpp"

namespace Quillfen {

// What the window asks for when an address cannot be read.
inline constexpr const char* cameraAddressFormatSentence =
    "Enter the phone's address as host:port, such as 192.168.1.20:47810, [fe80::1%wlan0]:47810 or "
    "studio-phone.local:47810.";

// "host:port", "[IPv6]:port" (the brackets are needed around an IPv6 address); none for
// anything else, a port of 0 or above 65535 included.
std::optional<UmberlinPlatform::HostPortEndpoint> parseCameraAddress(std::string_view text);

// The address as the user writes it: "10.0.0.5:47810", "[::1]:47810".
std::string cameraAddressText(const UmberlinPlatform::HostPortEndpoint& address);

// The entry for a phone at `address`, named by its address until its hello names it.
NetworkCameraService addressCameraService(const UmberlinPlatform::HostPortEndpoint& address);

// The discovered phones followed by the phones added by address, as one list, merged by the
// identity rule above.
std::vector<NetworkCameraService> withAddressServices(const std::vector<NetworkCameraService>& discovered,
                                                      const std::vector<NetworkCameraService>& byAddress);

// The failure sentence for a phone added by address: "No phone answered at 10.0.0.5:47810."
// followed by the reason when there is one.
std::string noPhoneAnsweredSentence(const NetworkCameraService& service, const std::string& reason);

}  // namespace Quillfen
