// The receiver on its real ports (worker-thread queue, TCP socket) against the phone
// simulator on loopback: one smoke test of the whole path, from a live phone to what a
// monitor window gets, and a camera-control round trip. The receiver's handling of each
// message, and of broken streams, is tested on fake connections.

#include <gtest/gtest.h>
#include <net/if.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>
#include <variant>
#include <vector>

#include "Reception/NetworkCameraReceiver.hpp"
#include "Reception/NetworkCameraReceiverHarness.hpp"
#include "Support/HevcPictureDecoder.hpp"
#include "Support/SimulatorProcess.hpp"

namespace Quillfen::Testing {
namespace {

using namespace std::chrono_literals;
constexpr const char* simulatorName = "Umberlin Simulator";

// What the receiver reported on its worker thread; the test reads it under the lock.
struct Observations {
    std::vector<State> states;
    std::optional<UmberlinWire::Hello> hello;
    std::optional<UmberlinWire::AudioConfiguration> audioConfiguration;
    Media::SampleBufferRef firstVideo;
    int audioBuffers = 0;
    int meterReadings = 0;
    bool deviceStatus = false;
    std::vector<UmberlinWire::CameraControlStatus> cameraStatuses;

    template <typename Change> void record(Change change) {
        {
            std::lock_guard lock(mutex);
            change();
        }
        changed.notify_all();
    }
    template <typename Condition> bool waitFor(Condition condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 6s, condition);
    }

    std::mutex mutex;
    std::condition_variable changed;
};

// The callbacks hold the observations, so one still running on the worker thread after the
// test lets go of the receiver finds them alive.
void observe(NetworkCameraReceiver& receiver, const std::shared_ptr<Observations>& observed) {
    Observations* const o = observed.get();
    receiver.onStateChanged = [observed, o](const State& state) { o->record([&] { o->states.push_back(state); }); };
    receiver.onStreamInfoChanged = [observed, o](const UmberlinWire::Hello& hello) {
        o->record([&] { o->hello = hello; });
    };
    receiver.onAudioFormatChanged = [observed, o](const auto&, const UmberlinWire::AudioConfiguration& configuration) {
        o->record([&] { o->audioConfiguration = configuration; });
    };
    receiver.onSampleBuffer = [observed, o](const Media::SampleBufferRef& buffer) {
        o->record([&] {
            if (!o->firstVideo) o->firstVideo = buffer;
        });
    };
    receiver.onAudioSampleBuffer = [observed, o](const auto&) { o->record([&] { ++o->audioBuffers; }); };
    receiver.onAudioMeterChanged = [observed, o](const auto&) { o->record([&] { ++o->meterReadings; }); };
    receiver.onDeviceStatusChanged = [observed, o](const auto&) { o->record([&] { o->deviceStatus = true; }); };
    receiver.onCameraControlStatusChanged = [observed, o](const UmberlinWire::CameraControlStatus& status) {
        o->record([&] { o->cameraStatuses.push_back(status); });
    };
}

TEST(NetworkCameraReceiverSimulatorTests, ALiveStreamBecomesDecodableVideoAudioTelemetryAndCameraStatus) {
    SimulatorTests::SimulatorProcess simulator({"--no-advertise", "--address", "127.0.0.1", "--port", "0", "--size",
                                                "320x240", "--sample-rate", "44100", "--channels", "1"});
    const auto port = static_cast<std::uint16_t>(simulator.waitForPort());
    const UmberlinPlatform::NetworkInterface loopback{.name = "lo",
                                                      .type = UmberlinPlatform::InterfaceType::loopback,
                                                      .index = ::if_nametoindex("lo"),
                                                      .isPhoneUsbLink = false};
    NetworkCameraService service = cameraService(simulatorName, loopback);
    std::get<UmberlinPlatform::ServiceEndpoint>(service.endpoint).addresses = {{loopback.index, "127.0.0.1", port}};

    const auto observations = std::make_shared<Observations>();
    auto& observed = *observations;
    auto receiver = NetworkCameraReceiver::make(systemNetworkCameraReceiverPorts());
    observe(*receiver, observations);
    receiver->connect(service);
    ASSERT_TRUE(observed.waitFor([&] {
        return observed.firstVideo && observed.audioBuffers >= 3 && observed.meterReadings > 0 &&
               observed.deviceStatus && !observed.cameraStatuses.empty();
    })) << simulator.output();
    {
        std::lock_guard lock(observed.mutex);
        EXPECT_EQ(observed.states, (std::vector{State::connecting(simulatorName), State::connected(simulatorName)}));
        ASSERT_TRUE(observed.hello);
        EXPECT_EQ(observed.hello->deviceName, "Simulated Phone");
        EXPECT_EQ(observed.audioConfiguration,
                  (UmberlinWire::AudioConfiguration{UmberlinWire::AudioCodec::linearPCM16LittleEndian, 44100, 1}));
        EXPECT_TRUE(observed.firstVideo->isKeyFrame());
        const auto format = observed.firstVideo->videoFormatDescription();
        ASSERT_NE(format, nullptr);
        const auto picture = SimulatorTests::decodePicture(format->decoderConfigurationRecord(),
                                                           observed.firstVideo->dataBuffer()->bytes());
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 320);
        EXPECT_EQ(picture->height, 240);
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
