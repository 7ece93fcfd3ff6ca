// The receiver's discovery and connection life cycle, driven step by step on a manual queue.

#include <future>

#include "Dispatch/ThreadSerialQueue.hpp"
#include "Reception/NetworkCameraReceiverHarness.hpp"
#include "Session/PlatformWords.hpp"

namespace Quillfen::Testing {
namespace {

using namespace std::chrono_literals;
using UmberlinPlatform::BrowserState;
using UmberlinPlatform::ConnectionState;
using UmberlinPlatform::NetworkError;
using UmberlinPlatform::NetworkPath;
using UmberlinPlatform::UnsatisfiedReason;

const std::string timeoutMessage(platformWords().connectionTimedOut);
const std::string localNetworkMessage(platformWords().localNetworkDenied);

const NetworkError refused{111, "Connection refused."};

class NetworkCameraReceiverConnectionTests : public ::testing::Test {
protected:
    ReceiverHarness harness;
    const NetworkCameraService studio = cameraService("Studio", wiredInterface("anri0"));
    const NetworkCameraService kitchen = cameraService("Kitchen", wifiInterface());
};

TEST_F(NetworkCameraReceiverConnectionTests, BrowsingStartsOnceAndFollowsTheBrowserState) {
    harness.receiver->startBrowsing();
    harness.receiver->startBrowsing();
    harness.run();

    ASSERT_EQ(harness.browsers.created().size(), 1u);
    auto& browser = harness.browsers.latest();
    EXPECT_EQ(browser.serviceType, "_umberlin-camera._tcp");
    EXPECT_TRUE(browser.parameters.includePeerToPeer);
    EXPECT_TRUE(browser.isStarted());

    browser.reportState(BrowserState::ready());  // already browsing: nothing new to report
    browser.reportState(BrowserState::failed({0, "The DNS-SD service (Avahi) is not running."}));
    browser.reportState(BrowserState::ready());
    browser.reportState(BrowserState::cancelled());
    harness.run();

    EXPECT_EQ(harness.states,
              (std::vector{State::browsing(), State::failed("The DNS-SD service (Avahi) is not running."),
                           State::browsing(), State::idle()}));
}

TEST_F(NetworkCameraReceiverConnectionTests, BrowserEventsDoNotOverrideAConnection) {
    harness.receiver->startBrowsing();
    harness.connectReady(studio);
    auto& browser = harness.browsers.latest();
    browser.reportState(BrowserState::ready());
    browser.reportState(BrowserState::cancelled());
    harness.run();
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
}

TEST_F(NetworkCameraReceiverConnectionTests, RefreshReplacesTheBrowserAndIgnoresTheOldOne) {
    harness.receiver->startBrowsing();
    harness.run();
    auto& oldBrowser = harness.browsers.latest();
    oldBrowser.reportState(BrowserState::failed({0, "Browsing failed."}));
    harness.run();

    harness.receiver->refreshBrowsing();
    harness.run();
    ASSERT_EQ(harness.browsers.created().size(), 2u);
    EXPECT_TRUE(oldBrowser.isCancelled());
    EXPECT_FALSE(oldBrowser.hasHandlers());
    EXPECT_EQ(harness.lastState(), State::browsing());

    oldBrowser.reportState(BrowserState::failed({0, "Stale failure."}));
    oldBrowser.reportResults({{serviceEndpoint("Ghost"), {wifiInterface()}}});
    harness.run();
    EXPECT_EQ(harness.lastState(), State::browsing());
    EXPECT_TRUE(harness.serviceLists.empty());
}

TEST_F(NetworkCameraReceiverConnectionTests, RefreshWhileConnectedLeavesTheConnectionRunning) {
    harness.receiver->startBrowsing();
    auto& connection = harness.connectReady(studio);
    harness.receiver->refreshBrowsing();
    harness.run();

    EXPECT_EQ(harness.lastState(), State::browsing());
    EXPECT_FALSE(connection.isCancelled());
    EXPECT_TRUE(connection.hasPendingReceive());
    harness.deliver(connection, UmberlinWire::makePacket(UmberlinWire::MessageType::status, {}, 0, 0,
                                                         UmberlinWire::encode(UmberlinWire::DeviceStatus{
                                                             .batteryLevel = 0.5,
                                                             .batteryState = UmberlinWire::BatteryState::charging,
                                                             .attitude = {},
                                                             .audioCaptureState = {},
                                                             .audioInputName = {}})));
    EXPECT_TRUE(connection.hasPendingReceive());
}

TEST_F(NetworkCameraReceiverConnectionTests, ConnectPinsTheConnectionAndReceivesOnceReady) {
    auto& connection = harness.connect(studio);
    EXPECT_EQ(harness.states, std::vector{State::connecting("Studio")});
    EXPECT_EQ(connection.endpoint, studio.endpoint);
    EXPECT_TRUE(connection.parameters.includePeerToPeer);
    EXPECT_EQ(connection.parameters.requiredInterface, studio.interface);
    EXPECT_TRUE(connection.isStarted());
    EXPECT_FALSE(connection.hasPendingReceive());

    connection.setCurrentPath(NetworkPath{std::nullopt, "satisfied, tcp 10.77.0.1:41234 -> 10.77.0.2:7070 via anri0"});
    connection.reportState(ConnectionState::preparing());
    connection.reportState(ConnectionState::ready());
    harness.run();

    EXPECT_EQ(harness.states, (std::vector{State::connecting("Studio"), State::connected("Studio")}));
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Connected"),
              std::vector<std::string>{"[Umberlin stream] Connected to Studio over USB (anri0): satisfied, tcp "
                                       "10.77.0.1:41234 -> 10.77.0.2:7070 via anri0"});
    ASSERT_TRUE(connection.hasPendingReceive());
    EXPECT_EQ(connection.pendingReceive()->minimumIncompleteLength, 1u);
    EXPECT_EQ(connection.pendingReceive()->maximumLength, 1'048'576u);

    harness.connectReady(kitchen);
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Connected").back(),
              "[Umberlin stream] Connected to Kitchen over Wi-Fi (wlan0): path unavailable");
}

TEST_F(NetworkCameraReceiverConnectionTests, AConnectionStillConnectingAfterEightSecondsTimesOut) {
    auto& connection = harness.connect(studio);
    harness.advance(7999ms);
    EXPECT_EQ(harness.lastState(), State::connecting("Studio"));
    EXPECT_FALSE(connection.isCancelled());

    harness.advance(1ms);
    EXPECT_EQ(harness.states, (std::vector{State::connecting("Studio"), State::failed(timeoutMessage)}));
    EXPECT_TRUE(connection.isCancelled());
    EXPECT_FALSE(connection.hasStateHandler());
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Connection to"),
              std::vector<std::string>{"[Umberlin stream] Connection to Studio timed out: " + timeoutMessage});

    // The cancelled connection's own report must not replace the failure.
    harness.run();
    EXPECT_EQ(harness.lastState(), State::failed(timeoutMessage));
}

TEST_F(NetworkCameraReceiverConnectionTests, WaitingCancelsTheTimeOutAndMayStillBecomeReady) {
    auto& connection = harness.connect(studio);
    harness.advance(1s);
    connection.reportState(ConnectionState::waiting({113, "No route to host."}));
    harness.run();
    EXPECT_EQ(harness.lastState(), State::failed("No route to host."));
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Connection to"),
              std::vector<std::string>{"[Umberlin stream] Connection to Studio is waiting: No route to host."});

    harness.advance(30s);
    EXPECT_EQ(harness.lastState(), State::failed("No route to host."));
    EXPECT_FALSE(connection.isCancelled());

    connection.reportState(ConnectionState::ready());
    harness.run();
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
    EXPECT_TRUE(connection.hasPendingReceive());

    // Losing and regaining the path must not start a second read alongside the first.
    connection.reportState(ConnectionState::waiting({113, "No route to host."}));
    connection.reportState(ConnectionState::ready());
    harness.run();
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
}

TEST_F(NetworkCameraReceiverConnectionTests, ABlockedLocalNetworkGetsItsOwnSentence) {
    auto& connection = harness.connect(studio);
    connection.setCurrentPath(
        NetworkPath{UnsatisfiedReason::localNetworkDenied, "unsatisfied (Local network prohibited)"});
    connection.reportState(ConnectionState::waiting(refused));
    harness.run();
    EXPECT_EQ(harness.lastState(), State::failed(localNetworkMessage));
    EXPECT_FALSE(connection.isCancelled());

    // Another reason keeps the error's own text.
    auto& second = harness.connect(kitchen);
    second.setCurrentPath(NetworkPath{UnsatisfiedReason::notAvailable, "unsatisfied"});
    second.reportState(ConnectionState::failed(refused));
    harness.run();
    EXPECT_EQ(harness.lastState(), State::failed("Connection refused."));
}

TEST_F(NetworkCameraReceiverConnectionTests, AFailedConnectionIsTornDownWithoutALogLine) {
    auto& connection = harness.connect(studio);
    connection.setCurrentPath(NetworkPath{UnsatisfiedReason::localNetworkDenied, "unsatisfied"});
    connection.reportState(ConnectionState::failed(refused));
    harness.run();
    EXPECT_EQ(harness.lastState(), State::failed(localNetworkMessage));
    EXPECT_TRUE(connection.isCancelled());
    EXPECT_TRUE(harness.logLinesStartingWith("[Umberlin stream] Connection to").empty());
    harness.advance(10s);
    EXPECT_EQ(harness.lastState(), State::failed(localNetworkMessage));
}

TEST_F(NetworkCameraReceiverConnectionTests, SwitchingPhonesGoesStraightToConnecting) {
    auto& first = harness.connectReady(studio);
    auto& second = harness.connect(kitchen);
    EXPECT_EQ(harness.states,
              (std::vector{State::connecting("Studio"), State::connected("Studio"), State::connecting("Kitchen")}));
    EXPECT_TRUE(first.isCancelled());
    EXPECT_FALSE(second.isCancelled());

    // The first connection's cancelled read, and its time-out, belong to the past.
    harness.advance(7s);
    EXPECT_EQ(harness.lastState(), State::connecting("Kitchen"));
    harness.advance(1s);
    EXPECT_EQ(harness.lastState(), State::failed(timeoutMessage));
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Connection to"),
              std::vector<std::string>{"[Umberlin stream] Connection to Kitchen timed out: " + timeoutMessage});
}

TEST_F(NetworkCameraReceiverConnectionTests, ATimeOutFromAnEarlierAttemptIsIgnored) {
    harness.connect(studio);
    harness.advance(5s);
    auto& retry = harness.connect(studio);
    harness.advance(4s);  // the first attempt's eight seconds are over
    EXPECT_EQ(harness.lastState(), State::connecting("Studio"));
    EXPECT_FALSE(retry.isCancelled());
    harness.advance(4s);
    EXPECT_EQ(harness.lastState(), State::failed(timeoutMessage));
}

TEST_F(NetworkCameraReceiverConnectionTests, TheEndOfTheStreamMeansBrowsingEvenWithoutABrowser) {
    auto& connection = harness.connectReady(studio);
    connection.deliverEndOfStream();
    harness.run();
    EXPECT_EQ(harness.lastState(), State::browsing());
    EXPECT_TRUE(harness.browsers.created().empty());
    EXPECT_TRUE(connection.isCancelled());
}

TEST_F(NetworkCameraReceiverConnectionTests, AReadErrorFailsWithItsText) {
    auto& connection = harness.connectReady(studio);
    connection.deliverReceiveError({104, "Connection reset by peer."});
    harness.run();
    EXPECT_EQ(harness.lastState(), State::failed("Connection reset by peer."));
    EXPECT_TRUE(connection.isCancelled());
}

TEST_F(NetworkCameraReceiverConnectionTests, DisconnectReportsBrowsingOnlyWhenABrowserRuns) {
    auto& connection = harness.connectReady(studio);
    harness.receiver->disconnect();
    harness.run();
    EXPECT_EQ(harness.lastState(), State::idle());
    EXPECT_TRUE(connection.isCancelled());

    harness.receiver->startBrowsing();
    harness.connectReady(kitchen);
    harness.receiver->disconnect();
    harness.run();
    // The torn-down connection's own cancelled report is never seen: one browsing, no more.
    EXPECT_EQ(harness.states,
              (std::vector{State::connecting("Studio"), State::connected("Studio"), State::idle(), State::browsing(),
                           State::connecting("Kitchen"), State::connected("Kitchen"), State::browsing()}));
}

TEST_F(NetworkCameraReceiverConnectionTests, AConnectionCancelledElsewhereReturnsToBrowsing) {
    auto& connection = harness.connectReady(studio);
    connection.reportState(ConnectionState::cancelled());
    harness.run();
    EXPECT_EQ(harness.lastState(), State::browsing());
}

TEST_F(NetworkCameraReceiverConnectionTests, ReleasingTheReceiverStopsEverything) {
    harness.receiver->startBrowsing();
    auto& connection = harness.connectReady(studio);
    auto& browser = harness.browsers.latest();
    harness.receiver->connect(kitchen);  // queued, never runs
    harness.receiver.reset();

    EXPECT_TRUE(connection.isCancelled());
    EXPECT_TRUE(browser.isCancelled());
    const auto statesBefore = harness.states.size();
    browser.reportResults({{serviceEndpoint("Late"), {wifiInterface()}}});
    harness.run();
    harness.advance(10s);
    EXPECT_EQ(harness.states.size(), statesBefore);
    EXPECT_EQ(harness.connections.created().size(), 1u);
    EXPECT_TRUE(harness.serviceLists.empty());
}

TEST(NetworkCameraReceiverThreadTests, ReleasingTheReceiverOnAnotherThreadIsSafe) {
    UmberlinPlatform::FakeServiceBrowserFactory browsers;
    UmberlinPlatform::FakeNetworkConnectionFactory connections;
    auto queue = UmberlinPlatform::makeSerialQueue("org.umberlin.tests.network-camera");
    auto receiver = NetworkCameraReceiver::make({
        .queue = queue,
        .makeBrowser = browsers.factory(),
        .makeConnection = connections.factory(),
        .uptimeSeconds = [] { return 1.0; },
    });
    std::promise<void> connecting;
    receiver->onStateChanged = [&](const NetworkCameraReceiver::State& state) {
        if (state.kind() == NetworkCameraReceiver::State::Kind::connecting) connecting.set_value();
    };
    receiver->startBrowsing();
    receiver->connect(cameraService("Studio", wifiInterface()));
    ASSERT_EQ(connecting.get_future().wait_for(5s), std::future_status::ready);
    // Everything the receiver queued so far has run once this does.
    std::promise<void> drained;
    queue->async([&] { drained.set_value(); });
    ASSERT_EQ(drained.get_future().wait_for(5s), std::future_status::ready);

    receiver.reset();
    EXPECT_TRUE(connections.latest().isCancelled());
    EXPECT_TRUE(browsers.latest().isCancelled());
    queue.reset();  // joins the worker after the late cancelled reports ran into nothing
}

}  // namespace
}  // namespace Quillfen::Testing
