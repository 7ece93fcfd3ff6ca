#include "Reception/NetworkCameraReceiver.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

#include "Dispatch/ThreadSerialQueue.hpp"
#include "Log/DiagnosticLog.hpp"
#include "Network/AvahiServiceBrowser.hpp"
#include "Network/TcpConnection.hpp"
#include "Reception/CameraAddress.hpp"
#include "Session/PlatformWords.hpp"
#include "UmberlinWire/WireShownText.hpp"

namespace Quillfen {

using UmberlinPlatform::BrowserState;
using UmberlinPlatform::ConnectionState;
using UmberlinPlatform::logLine;
using UmberlinPlatform::NetworkConnection;
using UmberlinPlatform::NetworkError;
using UmberlinPlatform::NetworkParameters;
using UmberlinPlatform::ServiceBrowser;
using UmberlinWire::shownPhoneText;

namespace {

// Only when the network layer reports a failure without saying what it was.
constexpr const char* unexplainedConnectionFailure = "The connection to the phone failed.";
constexpr const char* unexplainedBrowserFailure = "Looking for phones on the network failed.";

}  // namespace

NetworkCameraReceiverPorts systemNetworkCameraReceiverPorts() {
    return {
        .queue = UmberlinPlatform::makeSerialQueue("org.umberlin.rezuvidodo.network-camera"),
        .makeBrowser = &UmberlinPlatform::makeAvahiServiceBrowser,
        .makeConnection = &UmberlinPlatform::makeTcpConnection,
        .uptimeSeconds =
            [] {
                const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
                return std::chrono::duration<double>(sinceBoot).count();
            },
    };
}

std::shared_ptr<NetworkCameraReceiver> NetworkCameraReceiver::make(NetworkCameraReceiverPorts ports) {
    return std::make_shared<NetworkCameraReceiver>(ConstructionToken{}, std::move(ports));
}

NetworkCameraReceiver::NetworkCameraReceiver(ConstructionToken, NetworkCameraReceiverPorts ports)
    : queue_(std::move(ports.queue)),
      makeBrowser_(std::move(ports.makeBrowser)),
      makeConnection_(std::move(ports.makeConnection)),
      uptimeSeconds_(std::move(ports.uptimeSeconds)) {}

// Nothing else holds the receiver now, so no work of its own is running. The browser and
// connection are stopped here (cancel may be called from any thread); their late events
// find the receiver gone and do nothing.
NetworkCameraReceiver::~NetworkCameraReceiver() {
    if (connectionTimeoutWorkItem_) connectionTimeoutWorkItem_->cancel();
    if (connection_) connection_->cancel();
    if (browser_) browser_->cancel();
}

void NetworkCameraReceiver::enqueue(std::function<void(NetworkCameraReceiver&)> work) {
    queue_->async([weakSelf = weak_from_this(), work = std::move(work)] {
        if (const auto self = weakSelf.lock()) work(*self);
    });
}

void NetworkCameraReceiver::startBrowsing() {
    enqueue([](NetworkCameraReceiver& self) { self.startBrowsingOnQueue(); });
}

void NetworkCameraReceiver::refreshBrowsing() {
    enqueue([](NetworkCameraReceiver& self) { self.refreshBrowsingOnQueue(); });
}

void NetworkCameraReceiver::connect(NetworkCameraService service) {
    enqueue([service = std::move(service)](NetworkCameraReceiver& self) { self.connectOnQueue(service); });
}

void NetworkCameraReceiver::addAddressService(UmberlinPlatform::HostPortEndpoint address) {
    enqueue([service = addressCameraService(address)](NetworkCameraReceiver& self) {
        const bool listed = std::any_of(self.addressServices_.begin(), self.addressServices_.end(),
                                        [&](const NetworkCameraService& entry) { return entry.id == service.id; });
        if (listed) return;
        self.addressServices_.push_back(service);
        self.publishAllServices();
    });
}

void NetworkCameraReceiver::disconnect() {
    enqueue([](NetworkCameraReceiver& self) { self.disconnectOnQueue(true); });
}

void NetworkCameraReceiver::setState(State newState) {
    if (newState == state_) return;
    state_ = std::move(newState);
    if (onStateChanged) onStateChanged(state_);
}

// MARK: Discovery

void NetworkCameraReceiver::startBrowsingOnQueue() {
    if (browser_) return;
    auto browser = makeBrowser_(serviceType, NetworkParameters{.includePeerToPeer = true, .requiredInterface = {}});
    const std::weak_ptr<ServiceBrowser> weakBrowser = browser;
    browser->setStateHandler([weakSelf = weak_from_this(), weakBrowser](const BrowserState& browserState) {
        const auto self = weakSelf.lock();
        if (!self || !self->browser_ || self->browser_ != weakBrowser.lock()) return;
        self->handleBrowserState(browserState);
    });
    browser->setResultsChangedHandler(
        [weakSelf = weak_from_this(), weakBrowser](const std::vector<UmberlinPlatform::BrowseResult>& results) {
            const auto self = weakSelf.lock();
            if (!self || !self->browser_ || self->browser_ != weakBrowser.lock()) return;
            self->publishServices(results);
        });
    browser_ = browser;
    setState(State::browsing());
    browser->start(queue_);
}

void NetworkCameraReceiver::refreshBrowsingOnQueue() {
    if (browser_) {
        const auto browser = std::exchange(browser_, nullptr);
        browser->setStateHandler({});
        browser->setResultsChangedHandler({});
        browser->cancel();
    }
    startBrowsingOnQueue();
}

void NetworkCameraReceiver::handleBrowserState(const BrowserState& browserState) {
    switch (browserState.kind) {
        case BrowserState::Kind::failed: {
            // The failed browser stays: refreshBrowsing replaces it.
            const std::string description =
                browserState.error ? browserState.error->localizedDescription : unexplainedBrowserFailure;
            logLine("[Umberlin stream] Looking for phones failed: " + description);
            setState(State::failed(description));
            break;
        }
        case BrowserState::Kind::ready:
            if (!connection_) setState(State::browsing());
            break;
        case BrowserState::Kind::cancelled:
            if (!connection_) setState(State::idle());
            break;
        case BrowserState::Kind::setup:
            break;
    }
}

void NetworkCameraReceiver::publishServices(const std::vector<UmberlinPlatform::BrowseResult>& results) {
    discoveredServices_ = networkCameraServices(results);
    for (const auto& service : discoveredServices_) {
        logLine("[Umberlin stream] Discovered " + shownPhoneText(service.name) + " over " +
                std::string(transportWord(service.transport)) + " (" + service.interface.name + ")");
    }
    publishAllServices();
}

void NetworkCameraReceiver::publishAllServices() {
    if (onServicesChanged) onServicesChanged(withAddressServices(discoveredServices_, addressServices_));
}

// A phone added by address is listed under its address until it says its name.
void NetworkCameraReceiver::nameAddressServiceByHello() {
    if (!connectedAddressServiceID_ || !streamInfo_ || streamInfo_->deviceName.empty()) return;
    for (NetworkCameraService& service : addressServices_) {
        if (service.id != *connectedAddressServiceID_ || service.name == streamInfo_->deviceName) continue;
        service.name = streamInfo_->deviceName;
        publishAllServices();
    }
}

std::string NetworkCameraReceiver::connectionFailureSentence(const NetworkCameraService& service,
                                                             const std::string& reason) const {
    if (service.transport != NetworkCameraService::Transport::address) return reason;
    return noPhoneAnsweredSentence(service, reason);
}

// MARK: Connection

bool NetworkCameraReceiver::isCurrent(const std::weak_ptr<NetworkConnection>& connection) const {
    return connection_ && connection_ == connection.lock();
}

void NetworkCameraReceiver::connectOnQueue(const NetworkCameraService& service) {
    disconnectOnQueue(false);
    sendSequenceNumber_ = 0;
    setState(State::connecting(service.name));

    const bool byAddress = service.transport == NetworkCameraService::Transport::address;
    if (byAddress) connectedAddressServiceID_ = service.id;
    connection_ = makeConnection_(
        service.endpoint,
        NetworkParameters{.includePeerToPeer = true,
                          .requiredInterface = byAddress ? std::nullopt : std::optional(service.interface)});
    connection_->setStateHandler([weakSelf = weak_from_this(), weakConnection = std::weak_ptr(connection_),
                                  service](const ConnectionState& connectionState) {
        const auto self = weakSelf.lock();
        if (!self || !self->isCurrent(weakConnection)) return;
        self->handleConnectionState(connectionState, service);
    });
    connection_->start(queue_);
    scheduleConnectionTimeout(service);
}

void NetworkCameraReceiver::cancelConnectionTimeout() {
    if (connectionTimeoutWorkItem_) connectionTimeoutWorkItem_->cancel();
    connectionTimeoutWorkItem_.reset();
}

void NetworkCameraReceiver::scheduleConnectionTimeout(const NetworkCameraService& service) {
    cancelConnectionTimeout();
    connectionTimeoutWorkItem_ = queue_->asyncAfter(
        connectionTimeout, [weakSelf = weak_from_this(), weakConnection = std::weak_ptr(connection_), service] {
            const auto self = weakSelf.lock();
            if (!self || !self->isCurrent(weakConnection)) return;
            self->handleConnectionTimeout(service);
        });
}

void NetworkCameraReceiver::handleConnectionTimeout(const NetworkCameraService& service) {
    if (state_.kind() != State::Kind::connecting) return;
    // The sentence about blocked local network access is for a phone that discovery found.
    const std::string message = service.transport == NetworkCameraService::Transport::address
                                    ? noPhoneAnsweredSentence(service, "")
                                    : std::string(platformWords().connectionTimedOut);
    logLine("[Umberlin stream] Connection to " + shownPhoneText(service.name) + " timed out: " + message);
    setState(State::failed(message));
    disconnectOnQueue(false);
}

std::string NetworkCameraReceiver::connectionFailureDescription(const std::optional<NetworkError>& error) const {
    const auto path = connection_ ? connection_->currentPath() : std::nullopt;
    if (path && path->unsatisfiedReason == UmberlinPlatform::UnsatisfiedReason::localNetworkDenied) {
        return std::string(platformWords().localNetworkDenied);
    }
    return error ? error->localizedDescription : unexplainedConnectionFailure;
}

void NetworkCameraReceiver::handleConnectionState(const ConnectionState& connectionState,
                                                  const NetworkCameraService& service) {
    switch (connectionState.kind) {
        case ConnectionState::Kind::waiting: {
            // The connection stays: it may still become ready.
            cancelConnectionTimeout();
            const auto description =
                connectionFailureSentence(service, connectionFailureDescription(connectionState.error));
            logLine("[Umberlin stream] Connection to " + shownPhoneText(service.name) + " is waiting: " + description);
            setState(State::failed(description));
            break;
        }
        case ConnectionState::Kind::failed: {
            cancelConnectionTimeout();
            setState(
                State::failed(connectionFailureSentence(service, connectionFailureDescription(connectionState.error))));
            disconnectOnQueue(false);
            break;
        }
        case ConnectionState::Kind::ready: {
            cancelConnectionTimeout();
            const auto path = connection_->currentPath();
            logLine("[Umberlin stream] Connected to " + shownPhoneText(service.name) + " over " +
                    std::string(transportWord(service.transport)) + " (" +
                    (service.interface.name.empty() ? std::string("any interface") : service.interface.name) +
                    "): " + (path ? path->debugDescription : "path unavailable"));
            setState(State::connected(service.name));
            if (!isReceiving_) receiveNext();
            break;
        }
        case ConnectionState::Kind::cancelled:
            cancelConnectionTimeout();
            if (state_.kind() != State::Kind::idle) setState(State::browsing());
            break;
        case ConnectionState::Kind::setup:
        case ConnectionState::Kind::preparing:
            break;
    }
}

void NetworkCameraReceiver::receiveNext() {
    isReceiving_ = true;
    connection_->receive(
        1, maximumReceiveLength,
        [weakSelf = weak_from_this(), weakConnection = std::weak_ptr(connection_)](
            std::optional<std::vector<std::uint8_t>> data, bool isComplete, std::optional<NetworkError> error) {
            const auto self = weakSelf.lock();
            if (!self || !self->isCurrent(weakConnection)) return;
            self->isReceiving_ = false;
            self->handleReceived(data, isComplete, error);
        });
}

void NetworkCameraReceiver::handleReceived(const std::optional<std::vector<std::uint8_t>>& data, bool isComplete,
                                           const std::optional<NetworkError>& error) {
    if (data && !data->empty()) {
        try {
            for (const auto& message : parser_.append(*data)) handle(message);
        } catch (const std::exception& failure) {
            const std::string description = failure.what();
            logLine("[Umberlin stream] Phone stream processing failed: " + description);
            setState(State::failed(description));
            disconnectOnQueue(false);
            return;
        }
    }
    if (error) {
        setState(State::failed(error->localizedDescription));
        disconnectOnQueue(false);
    } else if (isComplete) {
        setState(State::browsing());
        disconnectOnQueue(false);
    } else {
        receiveNext();
    }
}

void NetworkCameraReceiver::disconnectOnQueue(bool updateState) {
    cancelConnectionTimeout();
    if (connection_) {
        // Without its handler first, cancelling reports no cancelled event to us.
        const auto connection = std::exchange(connection_, nullptr);
        connection->setStateHandler({});
        connection->cancel();
    }
    isReceiving_ = false;
    pendingCommandSends_ = 0;
    connectedAddressServiceID_.reset();
    resetStreamState();
    if (updateState) setState(browser_ ? State::browsing() : State::idle());
}

void NetworkCameraReceiver::resetStreamState() {
    parser_ = UmberlinWire::UmberlinWireStreamParser();
    streamInfo_.reset();
    videoConfiguration_.reset();
    formatDescription_.reset();
    audioConfiguration_.reset();
    audioFormatDescription_.reset();
    audioMeterProcessor_ = AudioMeterProcessor();
    hasReceivedFrame_ = false;
    hasReceivedAudioFrame_ = false;
    hasReceivedDeviceStatus_ = false;
}

}  // namespace Quillfen
