// The receiver on its real ports (worker-thread queue, TCP socket) against the phone
// simulator on loopback: what a monitor window gets from a live phone, and a camera-control
// round trip. Broken streams are the fake-connection tests' business.

#include <gtest/gtest.h>
#include <net/if.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Reception/NetworkCameraReceiver.hpp"
#include "Reception/NetworkCameraReceiverHarness.hpp"
#include "Support/HevcPictureDecoder.hpp"
#include "Support/SimulatorProcess.hpp"

namespace Quillfen::Testing {
namespace {

using namespace std::chrono_literals;
using UmberlinWire::AudioConfiguration;
using UmberlinWire::CameraControlStatus;
using AudioFormatRef = std::shared_ptr<const Media::AudioFormatDescription>;

constexpr auto patience = 6s;
constexpr const char* simulatorName = "Umberlin Simulator";

// Everything the receiver reported on its queue; read by the test thread under the lock.
struct Observations {
    std::vector<State> states;
    std::optional<UmberlinWire::Hello> hello;
    std::optional<UmberlinWire::VideoOrientation> orientation;
    int formatChanges = 0;
    std::vector<std::pair<AudioFormatRef, AudioConfiguration>> audioFormats;
    Media::SampleBufferRef firstVideo;
    bool firstVideoIsKeyFrame = false;
    std::vector<std::int64_t> audioFrameCounts;
    std::vector<AudioMeterReading> meterReadings;
    std::optional<UmberlinWire::DeviceStatus> deviceStatus;
    std::vector<CameraControlStatus> cameraStatuses;

    // Runs `change` under the lock and wakes the waiting test.
    void record(const std::function<void()>& change) {
        {
            std::lock_guard lock(mutex);
            change();
        }
        changed.notify_all();
    }
    // Whether `condition` (checked under the lock) came true within the patience.
    bool waitFor(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, patience, condition);
    }

    std::mutex mutex;
    std::condition_variable changed;
};

// Installs callbacks that record into `observed`; they hold it, so a callback still running
// on the worker thread after the test lets go of the receiver finds it alive.
void observe(NetworkCameraReceiver& receiver, const std::shared_ptr<Observations>& observed) {
    Observations* const o = observed.get();
    receiver.onStateChanged = [observed, o](const State& state) { o->record([&] { o->states.push_back(state); }); };
    receiver.onStreamInfoChanged = [observed, o](const UmberlinWire::Hello& hello) {
        o->record([&] { o->hello = hello; });
    };
    receiver.onOrientationChanged = [observed, o](const UmberlinWire::VideoOrientation& orientation) {
        o->record([&] { o->orientation = orientation; });
    };
    receiver.onFormatChanged = [observed, o] { o->record([&] { ++o->formatChanges; }); };
    receiver.onAudioFormatChanged = [observed, o](const AudioFormatRef& description,
                                                  const AudioConfiguration& configuration) {
        o->record([&] { o->audioFormats.emplace_back(description, configuration); });
    };
    receiver.onSampleBuffer = [observed, o](const Media::SampleBufferRef& buffer, bool isKeyFrame) {
        o->record([&] {
            if (!o->firstVideo) std::tie(o->firstVideo, o->firstVideoIsKeyFrame) = std::tie(buffer, isKeyFrame);
        });
    };
    receiver.onAudioSampleBuffer = [observed, o](const Media::SampleBufferRef& buffer) {
        o->record([&] { o->audioFrameCounts.push_back(buffer->sampleCount()); });
    };
    receiver.onAudioMeterChanged = [observed, o](const AudioMeterReading& reading) {
        o->record([&] { o->meterReadings.push_back(reading); });
    };
    receiver.onDeviceStatusChanged = [observed, o](const UmberlinWire::DeviceStatus& status) {
        o->record([&] { o->deviceStatus = status; });
    };
    receiver.onCameraControlStatusChanged = [observed, o](const CameraControlStatus& status) {
        o->record([&] { o->cameraStatuses.push_back(status); });
    };
}

// The simulator as a service found on the loopback interface (no discovery).
NetworkCameraService loopbackService(std::uint16_t port) {
    const UmberlinPlatform::NetworkInterface loopback{.name = "lo",
                                                      .type = UmberlinPlatform::InterfaceType::loopback,
                                                      .index = ::if_nametoindex("lo"),
                                                      .isPhoneUsbLink = false};
    return {.id = std::string("camera:") + simulatorName + ".local:lo",
            .claimID = std::string("camera:") + simulatorName + ".local",
            .name = simulatorName,
            .endpoint =
                UmberlinPlatform::ServiceEndpoint{
                    simulatorName, NetworkCameraReceiver::serviceType, "local", {{loopback.index, "127.0.0.1", port}}},
            .interface = loopback,
            .transport = NetworkCameraService::Transport::wireless};
}

TEST(NetworkCameraReceiverSimulatorTests, ALiveStreamBecomesDecodableVideoAudioTelemetryAndCameraStatus) {
    SimulatorTests::SimulatorProcess simulator({"--no-advertise", "--address", "127.0.0.1", "--port", "0", "--size",
                                                "320x240", "--sample-rate", "44100", "--channels", "1", "--rotation",
                                                "90"});
    const auto port = static_cast<std::uint16_t>(simulator.waitForPort());
    const auto observations = std::make_shared<Observations>();
    auto& observed = *observations;
    auto receiver = NetworkCameraReceiver::make(systemNetworkCameraReceiverPorts());
    observe(*receiver, observations);
    receiver->connect(loopbackService(port));
    ASSERT_TRUE(observed.waitFor([&] {
        return observed.firstVideo && observed.audioFrameCounts.size() >= 3 && !observed.meterReadings.empty() &&
               observed.deviceStatus && !observed.cameraStatuses.empty() && observed.orientation;
    })) << simulator.output();

    {
        std::lock_guard lock(observed.mutex);
        EXPECT_EQ(observed.states, (std::vector{State::connecting(simulatorName), State::connected(simulatorName)}));
        ASSERT_TRUE(observed.hello);
        EXPECT_EQ(*observed.hello, (UmberlinWire::Hello{.sourceID = "umberlin-phone-sim",
                                                        .deviceName = "Simulated Phone",
                                                        .cameraName = "Back Camera",
                                                        .codec = UmberlinWire::Codec::hevc,
                                                        .width = 320,
                                                        .height = 240,
                                                        .framesPerSecond = 30,
                                                        .averageBitRate = 4'000'000}));
        EXPECT_EQ(observed.orientation->rotationAngleDegrees, 90);
        EXPECT_EQ(observed.formatChanges, 1);

        ASSERT_EQ(observed.audioFormats.size(), 1u);
        EXPECT_EQ(observed.audioFormats[0].second,
                  (AudioConfiguration{UmberlinWire::AudioCodec::linearPCM16LittleEndian, 44100, 1}));
        const auto& stream = observed.audioFormats[0].first->streamBasicDescription();
        EXPECT_EQ(stream.sampleRate, 44100.0);
        EXPECT_EQ(stream.channelsPerFrame, 1u);
        EXPECT_EQ(stream.bytesPerFrame, 2u);
        // The simulator sends 20 ms packets: 882 mono frames at 44.1 kHz.
        for (const std::int64_t frames : observed.audioFrameCounts) EXPECT_EQ(frames, 882);
        for (const auto& reading : observed.meterReadings) {
            EXPECT_GE(reading.levelDBFS, -60.0);
            EXPECT_LE(reading.levelDBFS, 0.0);
            EXPECT_GE(reading.peakDBFS, reading.levelDBFS);
        }

        EXPECT_TRUE(observed.firstVideoIsKeyFrame);
        const auto format = observed.firstVideo->videoFormatDescription();
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->dimensions(), (Media::VideoDimensions{320, 240}));
        const auto picture = SimulatorTests::decodePicture(format->decoderConfigurationRecord(),
                                                           observed.firstVideo->dataBuffer()->bytes());
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 320);
        EXPECT_EQ(picture->height, 240);

        EXPECT_TRUE(observed.cameraStatuses.front().capabilities.supportsManualExposure);
        EXPECT_EQ(observed.cameraStatuses.front().state.exposureMode, UmberlinWire::CameraExposureMode::automatic);
    }

    // A camera command goes out over the socket and the phone's answer comes back.
    receiver->sendCameraControlCommand(
        {.requestStatus = false, .exposureMode = UmberlinWire::CameraExposureMode::manual, .iso = 400.0});
    EXPECT_TRUE(observed.waitFor([&] {
        const auto& state = observed.cameraStatuses.back().state;
        return state.exposureMode == UmberlinWire::CameraExposureMode::manual && state.iso == 400.0;
    })) << simulator.output();
    std::lock_guard lock(observed.mutex);
    EXPECT_EQ(observed.states.back(), State::connected(simulatorName));
}

}  // namespace
}  // namespace Quillfen::Testing
