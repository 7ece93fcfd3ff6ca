// Which discovered phones a window is offered, in which order, and what is logged.

#include "Reception/NetworkCameraReceiverHarness.hpp"

namespace Quillfen::Testing {
namespace {

using UmberlinPlatform::BrowseResult;
using UmberlinPlatform::InterfaceType;
using UmberlinPlatform::NetworkInterface;

std::vector<std::string> ids(const std::vector<NetworkCameraService>& services) {
    std::vector<std::string> result;
    for (const auto& service : services) result.push_back(service.id);
    return result;
}

class NetworkCameraReceiverPublishingTests : public ::testing::Test {
protected:
    // Publishes one complete result set through the browser and returns what the receiver made of it.
    std::vector<NetworkCameraService> publish(std::vector<BrowseResult> results) {
        if (harness.browsers.created().empty()) {
            harness.receiver->startBrowsing();
            harness.run();
        }
        harness.browsers.latest().reportResults(std::move(results));
        harness.run();
        EXPECT_FALSE(harness.serviceLists.empty());
        return harness.serviceLists.empty() ? std::vector<NetworkCameraService>{} : harness.serviceLists.back();
    }

    ReceiverHarness harness;
};

TEST_F(NetworkCameraReceiverPublishingTests, OnlyWifiAndPhoneCablesQualifyWiredFirst) {
    const NetworkInterface loopback{.name = "lo", .type = InterfaceType::loopback, .index = 1, .isPhoneUsbLink = false};
    const NetworkInterface cellular{
        .name = "wwan0", .type = InterfaceType::cellular, .index = 7, .isPhoneUsbLink = false};
    const NetworkInterface bridge{.name = "anri-br", .type = InterfaceType::other, .index = 8, .isPhoneUsbLink = false};
    const auto services = publish({
        {serviceEndpoint("Phone"),
         {loopback, wiredInterface("eth0"), wiredInterface("anri0"), wiredInterface("enx0a1b2c3d4e5f", true), cellular,
          bridge, wifiInterface("wlan0")}},
        // Not a DNS-SD service: never offered, whatever its interface.
        {UmberlinPlatform::HostPortEndpoint{"10.77.0.2", 7070}, {wifiInterface()}},
    });

    EXPECT_EQ(ids(services), (std::vector<std::string>{"camera:Phone.local:anri0", "camera:Phone.local:enx0a1b2c3d4e5f",
                                                       "camera:Phone.local:wlan0"}));
    ASSERT_EQ(services.size(), 3u);
    EXPECT_EQ(services[0], cameraService("Phone", wiredInterface("anri0")));
    EXPECT_EQ(services[1].transport, NetworkCameraService::Transport::wired);
    EXPECT_EQ(services[2].transport, NetworkCameraService::Transport::wireless);
    EXPECT_EQ(services[2].interface, wifiInterface("wlan0"));
    EXPECT_EQ(services[2].claimID, services[0].claimID) << "one phone on two links is one claim";
}

TEST_F(NetworkCameraReceiverPublishingTests, AnUpdateWithNothingUsablePublishesAnEmptyList) {
    publish({{serviceEndpoint("Phone"), {wifiInterface()}}});
    const auto services = publish({{serviceEndpoint("Phone"), {wiredInterface("eth0")}}});
    EXPECT_TRUE(services.empty());
    EXPECT_EQ(harness.serviceLists.size(), 2u);
}

TEST_F(NetworkCameraReceiverPublishingTests, NamesSortLikeAFileBrowserThenByInterface) {
    const auto services = publish({
        {serviceEndpoint("phone 10"), {wifiInterface("wlan0")}},
        {serviceEndpoint("Phone 2"), {wifiInterface("wlan1"), wifiInterface("wlan0")}},
        {serviceEndpoint("Zed"), {wiredInterface("anri1")}},
        {serviceEndpoint("Phone 9"), {wifiInterface("wlan0")}},
    });
    EXPECT_EQ(ids(services), (std::vector<std::string>{
                                 "camera:Zed.local:anri1",
                                 "camera:Phone 2.local:wlan0",
                                 "camera:Phone 2.local:wlan1",
                                 "camera:Phone 9.local:wlan0",
                                 "camera:phone 10.local:wlan0",
                             }));
}

TEST_F(NetworkCameraReceiverPublishingTests, EachListedEntryIsLoggedInOrder) {
    publish({
        {serviceEndpoint("Kitchen"), {wifiInterface("wlan0"), wiredInterface("anri0")}},
        {serviceEndpoint("Hall"), {wiredInterface("eth0")}},
    });
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Discovered"),
              (std::vector<std::string>{"[Umberlin stream] Discovered Kitchen over USB (anri0)",
                                        "[Umberlin stream] Discovered Kitchen over Wi-Fi (wlan0)"}));
}

TEST_F(NetworkCameraReceiverPublishingTests, PublishingDoesNotTouchTheConnectionState) {
    harness.receiver->startBrowsing();
    harness.connectReady(cameraService("Kitchen", wifiInterface()));
    publish({});
    EXPECT_EQ(harness.lastState(), State::connected("Kitchen"));
}

}  // namespace
}  // namespace Quillfen::Testing
