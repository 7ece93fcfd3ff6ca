#pragma once
// What kind of link a network interface is, read from the kernel: its sysfs, or ioctls inside a
// network namespace that sysfs does not show.

#include <filesystem>
#include <optional>
#include <string>

#include "Network/NetworkTypes.hpp"

namespace UmberlinPlatform {

// Classifies interface `name` (kernel index `index`) from `<sysClassNet>/<name>`:
//   `wireless` or `phy80211` present        -> wifi
//   type 772 (ARPHRD_LOOPBACK)               -> loopback
//   driver of a mobile-broadband modem       -> cellular (qmi_wwan, cdc_mbim, ...)
//   type 1 (ARPHRD_ETHER)                    -> wiredEthernet; a USB tethering driver
//                                               (rndis_host, cdc_ether, cdc_ncm, ipheth, ...)
//                                               marks it as a phone's USB link
//   anything else, or unreadable             -> other
NetworkInterface classifyNetworkInterface(const std::string& name, unsigned index,
                                          const std::filesystem::path& sysClassNet = "/sys/class/net");

// The interface of this machine (this network namespace) with that name or index; none if it
// does not exist. Reads sysfs when it shows this namespace's interfaces; inside a network
// namespace whose /sys still shows another one, asks the kernel through ioctls instead.
std::optional<NetworkInterface> networkInterfaceNamed(const std::string& name);
NetworkInterface networkInterfaceWithIndex(unsigned index);

}  // namespace UmberlinPlatform
