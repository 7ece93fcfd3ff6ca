#include "Network/BrowseResultSet.hpp"

#include <algorithm>
#include <map>
#include <tuple>

namespace UmberlinPlatform {
namespace {

bool isIpv4(const ResolvedServiceAddress& address) { return address.host.find(':') == std::string::npos; }

}  // namespace

std::vector<BrowseResult> browseResultSet(const std::vector<FoundServiceInstance>& instances,
                                          const InterfaceLookup& lookupInterface) {
    using ServiceKey = std::tuple<std::string, std::string, std::string>;  // name, domain, type
    std::map<ServiceKey, std::vector<const FoundServiceInstance*>> byService;
    for (const FoundServiceInstance& instance : instances) {
        if (!instance.address) continue;
        byService[{instance.name, instance.domain, instance.type}].push_back(&instance);
    }

    std::vector<BrowseResult> results;
    for (auto& [key, found] : byService) {
        std::stable_sort(found.begin(), found.end(),
                         [](const FoundServiceInstance* left, const FoundServiceInstance* right) {
                             return std::make_tuple(left->interfaceIndex, !isIpv4(*left->address)) <
                                    std::make_tuple(right->interfaceIndex, !isIpv4(*right->address));
                         });
        ServiceEndpoint endpoint{std::get<0>(key), std::get<2>(key), std::get<1>(key), {}};
        std::vector<NetworkInterface> interfaces;
        for (const FoundServiceInstance* instance : found) {
            if (std::find(endpoint.addresses.begin(), endpoint.addresses.end(), *instance->address) ==
                endpoint.addresses.end()) {
                endpoint.addresses.push_back(*instance->address);
            }
            if (interfaces.empty() || interfaces.back().index != instance->interfaceIndex) {
                interfaces.push_back(lookupInterface(instance->interfaceIndex));
            }
        }
        results.push_back({std::move(endpoint), std::move(interfaces)});
    }
    return results;
}

}  // namespace UmberlinPlatform
