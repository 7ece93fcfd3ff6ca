// The receiver on its real ports (worker-thread queue, TCP socket) against the phone
// simulator on loopback: what a monitor window gets from a live phone, a camera-control
// round trip, and each of the simulator's faults ending in the state the user should see.

#include <gtest/gtest.h>
#include <net/if.h>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
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
    struct Video {
        Media::SampleBufferRef buffer;
        bool isKeyFrame;
    };

    std::vector<State> states;
    std::optional<UmberlinWire::Hello> hello;
    std::optional<UmberlinWire::VideoOrientation> orientation;
    int formatChanges = 0;
    std::vector<std::pair<AudioFormatRef, AudioConfiguration>> audioFormats;
    std::optional<Video> firstVideo;
    int videoFrames = 0;
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
    // Reads under the lock.
    template <typename Read> auto read(Read reading) {
        std::lock_guard lock(mutex);
        return reading();
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
            if (!o->firstVideo) o->firstVideo = Observations::Video{buffer, isKeyFrame};
            ++o->videoFrames;
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

// The simulator serving on a free loopback port, and a receiver on its system ports
// connected straight to it (no discovery).
class SimulatorConnection {
public:
    explicit SimulatorConnection(const std::vector<std::string>& options)
        : simulator(arguments(options)), port(static_cast<std::uint16_t>(simulator.waitForPort())) {
        observe(*receiver, observed);
        receiver->connect(service());
    }

    NetworkCameraService service() const {
        const UmberlinPlatform::NetworkInterface loopback{.name = "lo",
                                                          .type = UmberlinPlatform::InterfaceType::loopback,
                                                          .index = ::if_nametoindex("lo"),
                                                          .isPhoneUsbLink = false};
        return {
            .id = std::string("camera:") + simulatorName + ".local:lo",
            .claimID = std::string("camera:") + simulatorName + ".local",
            .name = simulatorName,
            .endpoint =
                UmberlinPlatform::ServiceEndpoint{
                    simulatorName, NetworkCameraReceiver::serviceType, "local", {{loopback.index, "127.0.0.1", port}}},
            .interface = loopback,
            .transport = NetworkCameraService::Transport::wireless};
    }

    State lastState() {
        return observed->read([&] { return observed->states.empty() ? State::idle() : observed->states.back(); });
    }
    bool waitForVideoFrames(int count) {
        return observed->waitFor([&] { return observed->videoFrames >= count; });
    }

    SimulatorTests::SimulatorProcess simulator;
    const std::uint16_t port;
    const std::shared_ptr<Observations> observed = std::make_shared<Observations>();
    std::shared_ptr<NetworkCameraReceiver> receiver = NetworkCameraReceiver::make(systemNetworkCameraReceiverPorts());

private:
    static std::vector<std::string> arguments(const std::vector<std::string>& options) {
        std::vector<std::string> all{"--no-advertise", "--address", "127.0.0.1", "--port", "0", "--size", "320x240"};
        all.insert(all.end(), options.begin(), options.end());
        return all;
    }
};

TEST(NetworkCameraReceiverSimulatorTests, ALiveStreamBecomesDecodableVideoAudioTelemetryAndCameraStatus) {
    SimulatorConnection phone({"--sample-rate", "44100", "--channels", "1", "--rotation", "90"});
    auto& observed = *phone.observed;
    ASSERT_TRUE(observed.waitFor([&] {
        return observed.videoFrames >= 1 && observed.audioFrameCounts.size() >= 3 && !observed.meterReadings.empty() &&
               observed.deviceStatus && !observed.cameraStatuses.empty() && observed.orientation;
    })) << phone.simulator.output();

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

    const auto& first = *observed.firstVideo;
    EXPECT_TRUE(first.isKeyFrame);
    const auto format = first.buffer->videoFormatDescription();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->dimensions(), (Media::VideoDimensions{320, 240}));
    const auto picture =
        SimulatorTests::decodePicture(format->decoderConfigurationRecord(), first.buffer->dataBuffer()->bytes());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 320);
    EXPECT_EQ(picture->height, 240);

    EXPECT_TRUE(observed.cameraStatuses.front().capabilities.supportsManualExposure);
}

TEST(NetworkCameraReceiverSimulatorTests, AManualExposureCommandComesBackInTheCameraStatus) {
    SimulatorConnection phone({"--no-audio"});
    auto& observed = *phone.observed;
    ASSERT_TRUE(observed.waitFor([&] { return !observed.cameraStatuses.empty(); })) << phone.simulator.output();
    EXPECT_EQ(observed.read([&] { return observed.cameraStatuses.front().state.exposureMode; }),
              UmberlinWire::CameraExposureMode::automatic);

    phone.receiver->sendCameraControlCommand(
        {.requestStatus = false, .exposureMode = UmberlinWire::CameraExposureMode::manual, .iso = 400.0});
    ASSERT_TRUE(observed.waitFor([&] {
        const auto& state = observed.cameraStatuses.back().state;
        return state.exposureMode == UmberlinWire::CameraExposureMode::manual && state.iso == 400.0;
    })) << phone.simulator.output();
    EXPECT_TRUE(phone.simulator.waitForLine("command applied:"));
    EXPECT_EQ(phone.lastState(), State::connected(simulatorName));
}

TEST(NetworkCameraReceiverSimulatorTests, BrokenStreamsFailWithTheirSentenceAndAClosedOneGoesBackToBrowsing) {
    const std::vector<std::pair<std::vector<std::string>, State>> faults{
        {{"--bad-magic-after", "0"}, State::failed("The stream does not contain an Umberlin packet.")},
        {{"--oversized-after", "0"}, State::failed("Wire payload size 67108865 exceeds the safety limit.")},
        {{"--close-after", "1", "--no-audio"}, State::browsing()},
    };
    for (const auto& [options, ending] : faults) {
        SCOPED_TRACE(options.front());
        SimulatorConnection phone(options);
        auto& observed = *phone.observed;
        ASSERT_TRUE(observed.waitFor([&] {
            return !observed.states.empty() && observed.states.back().kind() != State::Kind::connecting &&
                   observed.states.back().kind() != State::Kind::connected;
        })) << phone.simulator.output();
        EXPECT_EQ(observed.read([&] { return observed.states; }),
                  (std::vector{State::connecting(simulatorName), State::connected(simulatorName), ending}));
    }
}

TEST(NetworkCameraReceiverSimulatorTests, AStallKeepsTheConnectionAndFramesResumeAfterIt) {
    SimulatorConnection phone({"--stall-for", "2", "--stall-after", "0.5", "--no-audio"});
    ASSERT_TRUE(phone.simulator.waitForLine("fault: stall over", 8s)) << phone.simulator.output();
    const int framesBeforeResuming = phone.observed->read([&] { return phone.observed->videoFrames; });
    EXPECT_TRUE(phone.waitForVideoFrames(framesBeforeResuming + 5));
    EXPECT_EQ(phone.observed->read([&] { return phone.observed->states; }),
              (std::vector{State::connecting(simulatorName), State::connected(simulatorName)}));
}

TEST(NetworkCameraReceiverSimulatorTests, AChangedAudioFormatIsAnnouncedAndItsFramesFollow) {
    SimulatorConnection phone(
        {"--change-audio-after", "1", "--changed-sample-rate", "44100", "--changed-channels", "1"});
    auto& observed = *phone.observed;
    std::size_t framesAtChange = 0;
    ASSERT_TRUE(observed.waitFor([&] {
        if (observed.audioFormats.size() == 2 && framesAtChange == 0) framesAtChange = observed.audioFrameCounts.size();
        return framesAtChange > 0 && observed.audioFrameCounts.size() >= framesAtChange + 3;
    })) << phone.simulator.output();

    std::lock_guard lock(observed.mutex);
    EXPECT_EQ(observed.audioFormats[0].second,
              (AudioConfiguration{UmberlinWire::AudioCodec::linearPCM16LittleEndian, 48000, 2}));
    EXPECT_EQ(observed.audioFormats[1].second,
              (AudioConfiguration{UmberlinWire::AudioCodec::linearPCM16LittleEndian, 44100, 1}));
    EXPECT_EQ(observed.audioFormats[1].first->streamBasicDescription().channelsPerFrame, 1u);
    EXPECT_EQ(observed.audioFrameCounts.front(), 960);  // 20 ms at 48 kHz
    EXPECT_EQ(observed.audioFrameCounts.back(), 882);   // 20 ms at 44.1 kHz
    EXPECT_EQ(observed.states.back(), State::connected(simulatorName));
}

TEST(NetworkCameraReceiverSimulatorTests, WithoutAudioVideoFlowsAndNoAudioIsReported) {
    SimulatorConnection phone({"--no-audio"});
    auto& observed = *phone.observed;
    ASSERT_TRUE(observed.waitFor([&] { return observed.videoFrames >= 15 && observed.deviceStatus; }))
        << phone.simulator.output();
    std::lock_guard lock(observed.mutex);
    EXPECT_TRUE(observed.audioFormats.empty());
    EXPECT_TRUE(observed.audioFrameCounts.empty());
    EXPECT_TRUE(observed.meterReadings.empty());
}

TEST(NetworkCameraReceiverSimulatorTests, ReleasingTheReceiverMidStreamClosesTheConnection) {
    SimulatorConnection phone({});
    ASSERT_TRUE(phone.waitForVideoFrames(5)) << phone.simulator.output();
    phone.receiver.reset();
    EXPECT_TRUE(phone.simulator.waitForLine("gone: client closed the connection")) << phone.simulator.output();
    // The simulator still serves: the next window can connect.
    auto next = NetworkCameraReceiver::make(systemNetworkCameraReceiverPorts());
    const auto observed = std::make_shared<Observations>();
    observe(*next, observed);
    next->connect(phone.service());
    EXPECT_TRUE(observed->waitFor([&] { return observed->videoFrames >= 1; })) << phone.simulator.output();
}

}  // namespace
}  // namespace Quillfen::Testing
