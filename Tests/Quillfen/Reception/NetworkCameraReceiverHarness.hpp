#pragma once
// A receiver on a manually run queue with a fake browser and fake connections, recording
// everything it reports. Shared by the receiver's test files.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Log/LogCapture.hpp"
#include "MediaSupport/HevcEncoder.hpp"
#include "Reception/NetworkCameraReceiver.hpp"
#include "Support/FakeNetworkConnection.hpp"
#include "Support/FakeServiceBrowser.hpp"
#include "Support/ManualSerialQueue.hpp"

namespace Quillfen {

inline void PrintTo(const NetworkCameraReceiver::State& state, std::ostream* out) {
    static constexpr const char* names[] = {"idle", "browsing", "connecting", "connected", "failed"};
    *out << names[static_cast<int>(state.kind())];
    if (!state.text().empty()) *out << "(" << state.text() << ")";
}

}  // namespace Quillfen

namespace Quillfen::Testing {

using State = NetworkCameraReceiver::State;
using UmberlinPlatform::FakeNetworkConnection;
using UmberlinPlatform::FakeServiceBrowser;

inline UmberlinPlatform::NetworkInterface wifiInterface(std::string name = "wlan0") {
    return {
        .name = std::move(name), .type = UmberlinPlatform::InterfaceType::wifi, .index = 3, .isPhoneUsbLink = false};
}

inline UmberlinPlatform::NetworkInterface wiredInterface(std::string name, bool isPhoneUsbLink = false) {
    return {.name = std::move(name),
            .type = UmberlinPlatform::InterfaceType::wiredEthernet,
            .index = 4,
            .isPhoneUsbLink = isPhoneUsbLink};
}

inline UmberlinPlatform::ServiceEndpoint serviceEndpoint(std::string name) {
    return {.name = std::move(name), .type = "_umberlin-camera._tcp", .domain = "local", .addresses = {}};
}

// What the receiver would publish for `name` seen on `interface`.
inline NetworkCameraService cameraService(std::string name, UmberlinPlatform::NetworkInterface interface) {
    const std::string claimID = "camera:" + name + ".local";
    const auto transport = interface.type == UmberlinPlatform::InterfaceType::wiredEthernet
                               ? NetworkCameraService::Transport::wired
                               : NetworkCameraService::Transport::wireless;
    return {.id = claimID + ":" + interface.name,
            .claimID = claimID,
            .name = name,
            .endpoint = serviceEndpoint(name),
            .interface = std::move(interface),
            .transport = transport};
}

// One packet as the phone frames it.
inline UmberlinWire::Bytes phonePacket(UmberlinWire::MessageType type, const UmberlinWire::Bytes& payload,
                                       std::uint64_t presentationTimeNanoseconds = 0,
                                       UmberlinWire::Flags flags = UmberlinWire::Flags()) {
    return UmberlinWire::makePacket(type, flags, presentationTimeNanoseconds, 0, payload);
}

template <typename Record> UmberlinWire::Bytes jsonPacket(UmberlinWire::MessageType type, const Record& record) {
    return phonePacket(type, UmberlinWire::encode(record));
}

// Several packets as one chunk of the stream.
inline UmberlinWire::Bytes joined(std::initializer_list<UmberlinWire::Bytes> packets) {
    UmberlinWire::Bytes bytes;
    for (const auto& packet : packets) bytes.insert(bytes.end(), packet.begin(), packet.end());
    return bytes;
}

// Real HEVC parameter sets (VPS, SPS, PPS) of a small 64x48 stream, made once.
inline const std::vector<UmberlinWire::Bytes>& hevcParameterSets() {
    static const std::vector<UmberlinWire::Bytes> parameterSets =
        UmberlinTools::HevcEncoder({.width = 64, .height = 48, .framesPerSecond = 30, .keyFrameInterval = 1})
            .parameterSets();
    return parameterSets;
}

inline UmberlinWire::VideoConfiguration videoConfiguration(std::int64_t nalUnitHeaderLength = 4) {
    return {.codec = UmberlinWire::Codec::hevc,
            .width = 64,
            .height = 48,
            .nalUnitHeaderLength = nalUnitHeaderLength,
            .parameterSets = hevcParameterSets()};
}

inline UmberlinWire::Hello hello(std::int64_t framesPerSecond) {
    return {.sourceID = "source-1",
            .deviceName = "Studio iPhone",
            .cameraName = "Back Camera",
            .codec = UmberlinWire::Codec::hevc,
            .width = 64,
            .height = 48,
            .framesPerSecond = framesPerSecond,
            .averageBitRate = 1'000'000};
}

// A camera status in which exposure compensation and lock, auto focus, focus lock and the
// focus point can all be used.
inline UmberlinWire::CameraControlStatus cameraControlStatus() {
    return {.capabilities = {.supportsExposureCompensation = true,
                             .minimumExposureBiasEV = -2,
                             .maximumExposureBiasEV = 2,
                             .supportsExposureLock = true,
                             .supportsManualExposure = false,
                             .minimumISO = std::nullopt,
                             .maximumISO = std::nullopt,
                             .minimumExposureDurationSeconds = std::nullopt,
                             .maximumExposureDurationSeconds = std::nullopt,
                             .supportsAutoFocus = true,
                             .supportsFocusLock = true,
                             .supportsFocusPoint = true,
                             .supportsManualFocus = false},
            .state = {.exposureMode = UmberlinWire::CameraExposureMode::automatic,
                      .exposureBiasEV = 0,
                      .iso = 100,
                      .exposureDurationSeconds = 0.01,
                      .isAdjustingExposure = false,
                      .focusMode = UmberlinWire::CameraFocusMode::automatic,
                      .lensPosition = std::nullopt,
                      .isAdjustingFocus = false,
                      .isManualFocus = false}};
}

class ReceiverHarness {
public:
    // The meter's clock: virtual queue time, starting well above zero like a real uptime.
    static constexpr double clockOffsetSeconds = 1000;

    ReceiverHarness() {
        receiver = NetworkCameraReceiver::make({
            .queue = queue,
            .makeBrowser = browsers.factory(),
            .makeConnection = connections.factory(),
            .uptimeSeconds =
                [queue = queue.get()] {
                    return clockOffsetSeconds + std::chrono::duration<double>(queue->now()).count();
                },
        });
        receiver->onStateChanged = [this](const State& state) { states.push_back(state); };
        receiver->onServicesChanged = [this](const std::vector<NetworkCameraService>& services) {
            serviceLists.push_back(services);
        };
    }

    void run() { queue->runAllReady(); }
    void advance(std::chrono::milliseconds duration) { queue->advance(duration); }

    State lastState() const { return states.empty() ? State::idle() : states.back(); }

    // Connects to `service` and lets everything queued run; returns the new connection.
    FakeNetworkConnection& connect(const NetworkCameraService& service) {
        receiver->connect(service);
        run();
        return connections.latest();
    }

    // Connects and reports the connection ready, so bytes can be delivered.
    FakeNetworkConnection& connectReady(const NetworkCameraService& service) {
        auto& connection = connect(service);
        connection.reportState(UmberlinPlatform::ConnectionState::ready());
        run();
        return connection;
    }

    // Hands `bytes` to the connection's outstanding receive and runs the queue.
    void deliver(FakeNetworkConnection& connection, const UmberlinWire::Bytes& bytes) {
        connection.deliver(bytes);
        run();
    }

    // Log lines captured with the given prefix, in order.
    std::vector<std::string> logLinesStartingWith(const std::string& prefix) const {
        std::vector<std::string> matching;
        for (const auto& line : log.lines()) {
            if (line.starts_with(prefix)) matching.push_back(line);
        }
        return matching;
    }

    const std::shared_ptr<UmberlinPlatform::ManualSerialQueue> queue =
        std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.network-camera");
    UmberlinPlatform::FakeServiceBrowserFactory browsers;
    UmberlinPlatform::FakeNetworkConnectionFactory connections;
    UmberlinPlatform::ScopedLogCapture log;
    std::shared_ptr<NetworkCameraReceiver> receiver;
    std::vector<State> states;
    std::vector<std::vector<NetworkCameraService>> serviceLists;
};

}  // namespace Quillfen::Testing
