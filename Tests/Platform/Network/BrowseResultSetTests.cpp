#include <gtest/gtest.h>

#include "Network/BrowseResultSet.hpp"

using namespace UmberlinPlatform;

namespace {

NetworkInterface interfaceFor(unsigned index) {
    return {index == 3 ? "anri0" : "wlan0", index == 3 ? InterfaceType::wiredEthernet : InterfaceType::wifi, index,
            false};
}

FoundServiceInstance instance(std::string name, unsigned interfaceIndex, std::optional<std::string> host) {
    std::optional<ResolvedServiceAddress> address;
    if (host) address = ResolvedServiceAddress{interfaceIndex, *host, 7070};
    return {std::move(name), "_umberlin-camera._tcp", "local", interfaceIndex, address};
}

}  // namespace

TEST(BrowseResultSet, GroupsAPhonesInstancesIntoOneResultWithEachInterfaceOnce) {
    const std::vector<FoundServiceInstance> found =
        {
            instance("Studio", 5, "fe80::1"),   instance("Studio", 3, "fe80::2"),
            instance("Studio", 3, "10.77.0.2"), instance("Studio", 5, "192.168.1.20"),
            instance("Attic", 5, std::nullopt),  // not resolved yet: not connectable, not listed
        };
    const std::vector<BrowseResult> results = browseResultSet(found, interfaceFor);
    ASSERT_EQ(results.size(), 1u);
    const ServiceEndpoint* endpoint = serviceEndpoint(results[0].endpoint);
    ASSERT_NE(endpoint, nullptr);
    EXPECT_EQ(endpoint->name, "Studio");
    EXPECT_EQ(endpoint->type, "_umberlin-camera._tcp");
    EXPECT_EQ(endpoint->domain, "local");
    EXPECT_EQ(results[0].interfaces, (std::vector{interfaceFor(3), interfaceFor(5)}));
    EXPECT_EQ(endpoint->addresses,
              (std::vector<ResolvedServiceAddress>{
                  {3, "10.77.0.2", 7070}, {3, "fe80::2", 7070}, {5, "192.168.1.20", 7070}, {5, "fe80::1", 7070}}));
}

TEST(BrowseResultSet, KeepsServicesOfTheSameNameInOtherDomainsApartAndOrdered) {
    std::vector<FoundServiceInstance> found = {instance("Studio 10", 5, "10.0.0.10"),
                                               instance("Studio 2", 5, "10.0.0.2"),
                                               instance("Studio 2", 5, "10.0.0.3")};
    found[2].domain = "example.org";
    const std::vector<BrowseResult> results = browseResultSet(found, interfaceFor);
    ASSERT_EQ(results.size(), 3u);
    std::vector<std::string> keys;
    for (const BrowseResult& result : results) {
        keys.push_back(serviceEndpoint(result.endpoint)->name + "." + serviceEndpoint(result.endpoint)->domain);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Studio 10.local", "Studio 2.example.org", "Studio 2.local"}));
    EXPECT_TRUE(browseResultSet({}, interfaceFor).empty());
}
