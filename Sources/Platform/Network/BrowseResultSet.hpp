#pragma once
// Turns the service instances found per interface and protocol into the browser's result
// set: one result per service, with the interfaces it resolved on and their addresses.

#include <functional>
#include <string>
#include <vector>

#include "Network/ServiceBrowser.hpp"

namespace UmberlinPlatform {

// One instance as DNS-SD reports it: seen on one interface over one IP protocol.
struct FoundServiceInstance {
    std::string name;
    std::string type;
    std::string domain;
    unsigned interfaceIndex = 0;
    std::optional<ResolvedServiceAddress> address;  // none until resolved
};

using InterfaceLookup = std::function<NetworkInterface(unsigned interfaceIndex)>;

// Results ordered by name, domain and type; only resolved instances count, so every listed
// interface has an address to connect to. IPv4 addresses come before IPv6 ones.
std::vector<BrowseResult> browseResultSet(const std::vector<FoundServiceInstance>& instances,
                                          const InterfaceLookup& lookupInterface);

}  // namespace UmberlinPlatform
