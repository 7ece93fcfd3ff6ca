#pragma once
// The per-window stream receiver: finds phones running Umberlin Capture, keeps one TCP
// connection to the phone the user picked, cuts its byte stream into messages and turns
// them into media buffers, telemetry and camera-control status. It sends camera-control
// commands back.
//
// Everything runs on the receiver's own serial queue: the public operations only enqueue
// their work, and every callback is invoked on that queue. Handlers and work items hold
// the receiver weakly, so releasing it stops all activity. There is no reconnect policy:
// after a failure or a closed stream, connecting again is the owner's decision.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dispatch/SerialQueue.hpp"
#include "Media/AudioFormatDescription.hpp"
#include "Media/SampleBuffer.hpp"
#include "Media/VideoFormatDescription.hpp"
#include "Network/NetworkConnection.hpp"
#include "Network/ServiceBrowser.hpp"
#include "Reception/AudioMeter.hpp"
#include "Reception/NetworkCameraService.hpp"
#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

// The platform services a receiver runs on.
struct NetworkCameraReceiverPorts {
    std::shared_ptr<UmberlinPlatform::SerialQueue> queue;
    UmberlinPlatform::ServiceBrowserFactory makeBrowser;
    UmberlinPlatform::NetworkConnectionFactory makeConnection;
    // Seconds of a monotonic clock, for the audio meter's ballistics.
    std::function<double()> uptimeSeconds;
};

// A worker-thread queue labelled "org.umberlin.rezuvidodo.network-camera", Avahi
// browsing, TCP sockets and the steady clock.
NetworkCameraReceiverPorts systemNetworkCameraReceiverPorts();

class NetworkCameraReceiver : public std::enable_shared_from_this<NetworkCameraReceiver> {
    struct ConstructionToken {};

public:
    class State {
    public:
        enum class Kind { idle, browsing, connecting, connected, failed };

        static State idle() { return State(Kind::idle); }
        static State browsing() { return State(Kind::browsing); }
        static State connecting(std::string serviceName) { return State(Kind::connecting, std::move(serviceName)); }
        static State connected(std::string serviceName) { return State(Kind::connected, std::move(serviceName)); }
        static State failed(std::string message) { return State(Kind::failed, std::move(message)); }

        Kind kind() const { return kind_; }
        // The service name while connecting or connected, the user-facing message when
        // failed; empty otherwise.
        const std::string& text() const { return text_; }

        friend bool operator==(const State&, const State&) = default;

    private:
        explicit State(Kind kind, std::string text = {}) : kind_(kind), text_(std::move(text)) {}

        Kind kind_;
        std::string text_;
    };

    static constexpr auto connectionTimeout = std::chrono::seconds(8);
    static constexpr std::size_t maximumReceiveLength = 1'048'576;
    // Commands handed to the connection but not yet sent; beyond this a phone that does not
    // read is not allowed to make us buffer more.
    static constexpr std::size_t maximumPendingCommandSends = 64;
    static constexpr const char* serviceType = "_umberlin-camera._tcp";

    static std::shared_ptr<NetworkCameraReceiver> make(
        NetworkCameraReceiverPorts ports = systemNetworkCameraReceiverPorts());
    NetworkCameraReceiver(ConstructionToken, NetworkCameraReceiverPorts ports);
    ~NetworkCameraReceiver();
    NetworkCameraReceiver(const NetworkCameraReceiver&) = delete;
    NetworkCameraReceiver& operator=(const NetworkCameraReceiver&) = delete;

    // Callbacks, each invoked on the receiver's queue. Set them before the first operation.
    std::function<void(const std::vector<NetworkCameraService>&)> onServicesChanged;
    std::function<void(const State&)> onStateChanged;
    std::function<void(const UmberlinWire::Hello&)> onStreamInfoChanged;
    std::function<void(const UmberlinWire::VideoOrientation&)> onOrientationChanged;
    std::function<void(const UmberlinWire::DeviceStatus&)> onDeviceStatusChanged;
    std::function<void(const UmberlinWire::CameraControlStatus&)> onCameraControlStatusChanged;
    std::function<void()> onFormatChanged;
    std::function<void(const std::shared_ptr<const Media::AudioFormatDescription>&,
                       const UmberlinWire::AudioConfiguration&)>
        onAudioFormatChanged;
    std::function<void()> onFirstFrameReceived;
    std::function<void(const Media::SampleBufferRef&)> onSampleBuffer;  // a video frame, key frames marked
    std::function<void(const Media::SampleBufferRef&)> onAudioSampleBuffer;
    std::function<void(const AudioMeterReading&)> onAudioMeterChanged;

    // Each enqueues its work on the queue and returns at once; callable from any thread.
    void startBrowsing();
    void refreshBrowsing();
    void connect(NetworkCameraService service);
    // Lists a phone reached by its address with the discovered ones (once; adding it again
    // changes nothing). It is named by its hello once connected.
    void addAddressService(UmberlinPlatform::HostPortEndpoint address);
    void disconnect();
    void sendCameraControlCommand(UmberlinWire::CameraControlCommand command);

private:
    using ConnectionRef = std::shared_ptr<UmberlinPlatform::NetworkConnection>;
    using BrowserRef = std::shared_ptr<UmberlinPlatform::ServiceBrowser>;

    // Runs `work` on the queue with the receiver, unless it has been released by then.
    void enqueue(std::function<void(NetworkCameraReceiver&)> work);

    // Discovery and connection.
    void startBrowsingOnQueue();
    void refreshBrowsingOnQueue();
    void handleBrowserState(const UmberlinPlatform::BrowserState& browserState);
    void publishServices(const std::vector<UmberlinPlatform::BrowseResult>& results);
    void publishAllServices();
    void nameAddressServiceByHello();
    std::string connectionFailureSentence(const NetworkCameraService& service, const std::string& reason) const;
    void connectOnQueue(const NetworkCameraService& service);
    void scheduleConnectionTimeout(const NetworkCameraService& service);
    void handleConnectionTimeout(const NetworkCameraService& service);
    void handleConnectionState(const UmberlinPlatform::ConnectionState& connectionState,
                               const NetworkCameraService& service);
    std::string connectionFailureDescription(const std::optional<UmberlinPlatform::NetworkError>& error) const;
    void cancelConnectionTimeout();
    void receiveNext();
    void handleReceived(const std::optional<std::vector<std::uint8_t>>& data, bool isComplete,
                        const std::optional<UmberlinPlatform::NetworkError>& error);
    void disconnectOnQueue(bool updateState);
    void resetStreamState();
    void setState(State newState);
    bool isCurrent(const std::weak_ptr<UmberlinPlatform::NetworkConnection>& connection) const;

    // Message handling.
    void handle(const UmberlinWire::Message& message);
    void handleVideoConfiguration(const UmberlinWire::Message& message);
    void handleVideoFrame(const UmberlinWire::Message& message);
    void handleDeviceStatus(const UmberlinWire::Message& message);
    void handleAudioConfiguration(const UmberlinWire::Message& message);
    void handleAudioFrame(const UmberlinWire::Message& message);
    void sendCameraControlCommandOnQueue(const UmberlinWire::CameraControlCommand& command);

    const std::shared_ptr<UmberlinPlatform::SerialQueue> queue_;
    const UmberlinPlatform::ServiceBrowserFactory makeBrowser_;
    const UmberlinPlatform::NetworkConnectionFactory makeConnection_;
    const std::function<double()> uptimeSeconds_;

    BrowserRef browser_;
    ConnectionRef connection_;
    UmberlinPlatform::WorkItemHandle connectionTimeoutWorkItem_;
    UmberlinWire::UmberlinWireStreamParser parser_;
    std::vector<NetworkCameraService> discoveredServices_;
    std::vector<NetworkCameraService> addressServices_;
    // The id of the phone added by address that the current connection goes to, if it does.
    std::optional<std::string> connectedAddressServiceID_;

    // Per-connection stream state.
    std::optional<UmberlinWire::Hello> streamInfo_;
    std::optional<UmberlinWire::VideoConfiguration> videoConfiguration_;
    std::shared_ptr<const Media::VideoFormatDescription> formatDescription_;
    std::optional<UmberlinWire::AudioConfiguration> audioConfiguration_;
    std::shared_ptr<const Media::AudioFormatDescription> audioFormatDescription_;
    AudioMeterProcessor audioMeterProcessor_;
    bool hasReceivedFrame_ = false;
    bool hasReceivedAudioFrame_ = false;
    bool hasReceivedDeviceStatus_ = false;
    std::uint32_t sendSequenceNumber_ = 0;
    std::size_t pendingCommandSends_ = 0;
    // A connection that goes back to ready after waiting must not get a second read.
    bool isReceiving_ = false;

    State state_ = State::idle();
};

}  // namespace Quillfen
