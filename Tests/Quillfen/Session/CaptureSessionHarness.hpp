#pragma once
// Monitor windows' sessions on manually run queues: each controller gets a real receiver
// with a fake browser and fake connections, a real recorder with fake movie writers, a space
// watch that reads `storage` and a renderer that counts what it is given. All windows share one
// main queue.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Reception/NetworkCameraReceiverHarness.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/CaptureSessionRegistry.hpp"
#include "Support/FakeMovieWriter.hpp"

namespace Quillfen::Testing {

// The camera commands the phone received on `connection`, in order, after the status request
// that every connection starts with.
inline std::vector<UmberlinWire::CameraControlCommand> cameraCommandsSent(
    const UmberlinPlatform::FakeNetworkConnection& connection) {
    std::vector<UmberlinWire::CameraControlCommand> commands;
    for (const auto& send : connection.sends()) {
        UmberlinWire::UmberlinWireStreamParser parser;
        for (const auto& message : parser.append(send.content))
            commands.push_back(UmberlinWire::decode<UmberlinWire::CameraControlCommand>(message.payload));
    }
    if (!commands.empty()) commands.erase(commands.begin());
    return commands;
}

class CountingRenderer final : public NetworkVideoRenderer {
public:
    void enqueue(const Media::SampleBufferRef& sampleBuffer) override {
        ++enqueued;
        if (sampleBuffer->isKeyFrame()) ++keyFrames;
    }
    void flush() override { ++flushes; }

    int enqueued = 0;
    int keyFrames = 0;
    int flushes = 0;
};

struct Window {
    explicit Window(UmberlinPlatform::PostToMain postToMain) {
        recorder = NetworkVideoRecorder::make({recorderQueue, writers.factory()});
        spaceWatch = std::make_shared<RecordingSpaceWatch>(
            spaceQueue, [this](const std::filesystem::path&) { return storage; }, RecordingSpaceMargins{});
        controller = std::make_shared<CaptureSessionController>(
            CaptureSessionControllerParts{.receiver = receiver.receiver,
                                          .renderer = renderer,
                                          .recorder = recorder,
                                          .spaceWatch = spaceWatch,
                                          .postToMain = std::move(postToMain)});
    }

    ReceiverHarness receiver;
    std::shared_ptr<UmberlinPlatform::ManualSerialQueue> recorderQueue =
        std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.video-recorder");
    QuillfenTests::FakeMovieWriterFactory writers;
    std::shared_ptr<CountingRenderer> renderer = std::make_shared<CountingRenderer>();
    std::shared_ptr<NetworkVideoRecorder> recorder;
    std::shared_ptr<UmberlinPlatform::ManualSerialQueue> spaceQueue =
        std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.recording-space");
    std::optional<StorageReading> storage;  // none: the disk cannot be read
    std::shared_ptr<RecordingSpaceWatch> spaceWatch;
    std::shared_ptr<CaptureSessionController> controller;
};

class CaptureSessionTest : public ::testing::Test {
protected:
    Window& openWindow() {
        windows.push_back(std::make_unique<Window>(mainQueue->postToThisQueue()));
        return *windows.back();
    }

    // A window whose receiver is browsing, as when the window has appeared.
    Window& openBrowsingWindow() {
        Window& window = openWindow();
        window.controller->streamReceiver().startBrowsing();
        settle();
        return window;
    }

    // The phone sends a key frame stamped `presentationTimeNanoseconds`.
    void deliverKeyFrame(Window& window, std::uint64_t presentationTimeNanoseconds) {
        window.receiver.deliver(window.receiver.connections.latest(),
                                phonePacket(UmberlinWire::MessageType::videoFrame, {0, 0, 0, 3, 0x26, 0x01, 0xAF},
                                            presentationTimeNanoseconds, UmberlinWire::Flags::keyFrame));
        settle();
    }

    // Runs every queue until nothing is left to do.
    void settle() {
        for (std::size_t ran = 1; ran > 0;) {
            ran = mainQueue->runAllReady();
            for (const auto& window : windows)
                ran += window->receiver.queue->runAllReady() + window->recorderQueue->runAllReady() +
                       window->spaceQueue->runAllReady();
        }
    }

    // The browser of `window` reports `phones`, each a name seen on some interfaces.
    void discover(Window& window,
                  const std::vector<std::pair<std::string, std::vector<UmberlinPlatform::NetworkInterface>>>& phones) {
        std::vector<UmberlinPlatform::BrowseResult> results;
        for (const auto& [name, interfaces] : phones) results.push_back({serviceEndpoint(name), interfaces});
        window.receiver.browsers.latest().reportResults(results);
        settle();
    }

    // The phone behind `window`'s current connection accepts it and starts streaming video
    // and audio, so the session goes live.
    void goLive(Window& window) {
        auto& connection = window.receiver.connections.latest();
        connection.reportState(UmberlinPlatform::ConnectionState::ready());
        settle();
        window.receiver.deliver(
            connection,
            joined({
                jsonPacket(UmberlinWire::MessageType::hello, hello(30)),
                jsonPacket(UmberlinWire::MessageType::videoConfiguration, videoConfiguration()),
                jsonPacket(
                    UmberlinWire::MessageType::audioConfiguration,
                    UmberlinWire::AudioConfiguration{UmberlinWire::AudioCodec::linearPCM16LittleEndian, 48000, 2}),
                phonePacket(UmberlinWire::MessageType::videoFrame, {0, 0, 0, 3, 0x26, 0x01, 0xAF}, 1'000'000'000,
                            UmberlinWire::Flags::keyFrame),
                phonePacket(UmberlinWire::MessageType::audioFrame, UmberlinWire::Bytes(4 * 480, 0), 1'000'000'000),
            }));
        settle();
    }

    const std::shared_ptr<UmberlinPlatform::ManualSerialQueue> mainQueue =
        std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.main");
    std::vector<std::unique_ptr<Window>> windows;
};

}  // namespace Quillfen::Testing
