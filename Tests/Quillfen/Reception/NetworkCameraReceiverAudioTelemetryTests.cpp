// Phone telemetry, the audio format, audio frames and the meter.

#include "Reception/NetworkCameraReceiverHarness.hpp"

namespace Quillfen::Testing {
namespace {

using namespace std::chrono_literals;
using UmberlinWire::AudioConfiguration;
using UmberlinWire::Bytes;
using UmberlinWire::DeviceStatus;
using UmberlinWire::MessageType;

const std::string invalidAudioConfiguration = "The phone sent an invalid audio configuration.";

AudioConfiguration audio(std::int64_t sampleRate, std::int64_t channelCount) {
    return {.codec = UmberlinWire::AudioCodec::linearPCM16LittleEndian,
            .sampleRate = sampleRate,
            .channelCount = channelCount};
}

DeviceStatus status(std::optional<double> batteryLevel,
                    UmberlinWire::BatteryState batteryState = UmberlinWire::BatteryState::charging,
                    std::optional<UmberlinWire::DeviceAttitude> attitude = {}) {
    return {.batteryLevel = batteryLevel,
            .batteryState = batteryState,
            .attitude = attitude,
            .audioCaptureState = {},
            .audioInputName = {}};
}

// `frames` interleaved frames of `channels` samples, all at `sample`.
Bytes pcm(std::size_t frames, std::size_t channels, std::int16_t sample) {
    Bytes bytes;
    for (std::size_t i = 0; i < frames * channels; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
    }
    return bytes;
}

class NetworkCameraReceiverAudioTelemetryTests : public ::testing::Test {
protected:
    NetworkCameraReceiverAudioTelemetryTests() {
        harness.receiver->onDeviceStatusChanged = [this](const DeviceStatus& status) { statuses.push_back(status); };
        harness.receiver->onAudioFormatChanged = [this](
                                                     const std::shared_ptr<const Media::AudioFormatDescription>& format,
                                                     const AudioConfiguration& configuration) {
            audioFormats.push_back({format, configuration});
        };
        harness.receiver->onAudioSampleBuffer = [this](const Media::SampleBufferRef& buffer) {
            audioBuffers.push_back(buffer);
        };
        harness.receiver->onAudioMeterChanged = [this](const AudioMeterReading& reading) {
            readings.push_back(reading);
        };
    }

    void deliver(const Bytes& bytes) { harness.deliver(connection, bytes); }

    std::vector<std::string> telemetryLines() const {
        return harness.logLinesStartingWith("[Umberlin stream] Received phone telemetry");
    }

    ReceiverHarness harness;
    FakeNetworkConnection& connection = harness.connectReady(cameraService("Studio", wifiInterface()));
    std::vector<DeviceStatus> statuses;
    std::vector<std::pair<std::shared_ptr<const Media::AudioFormatDescription>, AudioConfiguration>> audioFormats;
    std::vector<Media::SampleBufferRef> audioBuffers;
    std::vector<AudioMeterReading> readings;
};

TEST_F(NetworkCameraReceiverAudioTelemetryTests, EachConnectionsFirstTelemetryIsLoggedOnceWithTheBatteryRounded) {
    using UmberlinWire::BatteryState;
    const std::vector<std::pair<DeviceStatus, std::string>> cases{
        {status(0.996, BatteryState::full, UmberlinWire::DeviceAttitude{0, 0, 0, 1}),
         "battery=100% state=full attitude=yes"},
        {status(std::nullopt, BatteryState::unplugged), "battery=-1% state=unplugged attitude=no"},
        {status(0.125, BatteryState::unplugged), "battery=13% state=unplugged attitude=no"},
        {status(0.0, BatteryState::unplugged), "battery=0% state=unplugged attitude=no"},
        {status(1e300, BatteryState::unplugged), "battery=-1% state=unplugged attitude=no"},  // not a percentage
    };
    for (const auto& [sent, expected] : cases) {
        auto& fresh = harness.connectReady(cameraService("Studio", wifiInterface()));
        harness.deliver(fresh,
                        joined({jsonPacket(MessageType::status, sent), jsonPacket(MessageType::status, status(0.5))}));
        ASSERT_FALSE(telemetryLines().empty());
        EXPECT_EQ(telemetryLines().back(), "[Umberlin stream] Received phone telemetry: " + expected);
    }
    EXPECT_EQ(telemetryLines().size(), cases.size()) << "once per connection";
    EXPECT_EQ(statuses.size(), 2 * cases.size());
}

TEST_F(NetworkCameraReceiverAudioTelemetryTests, TelemetryThatDoesNotDecodeIsSkipped) {
    const std::string broken = R"({"batteryLevel":0.5})";  // the battery state is required
    deliver(joined({phonePacket(MessageType::status, Bytes(broken.begin(), broken.end())),
                    jsonPacket(MessageType::status, status(0.25))}));
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
    EXPECT_EQ(statuses, std::vector{status(0.25)});
    EXPECT_EQ(
        telemetryLines(),
        std::vector<std::string>{"[Umberlin stream] Received phone telemetry: battery=25% state=charging attitude=no"});
}

TEST_F(NetworkCameraReceiverAudioTelemetryTests, AudioFramesBecomeBuffersAfterTheirFormat) {
    deliver(phonePacket(MessageType::audioFrame, pcm(4, 2, 1000)));  // no format yet: dropped
    EXPECT_TRUE(audioBuffers.empty());

    deliver(joined({jsonPacket(MessageType::audioConfiguration, audio(48000, 2)),
                    phonePacket(MessageType::audioFrame, pcm(480, 2, 16384), 5'000'000),
                    phonePacket(MessageType::audioFrame, pcm(480, 2, 0), 15'000'000)}));
    ASSERT_EQ(audioFormats.size(), 1u);
    const auto& description = audioFormats[0].first->streamBasicDescription();
    EXPECT_EQ(description.sampleRate, 48000);
    EXPECT_EQ(description.formatId, Media::audioFormatLinearPcm);
    EXPECT_EQ(description.formatFlags, 12u);
    EXPECT_EQ(description.bytesPerFrame, 4u);
    EXPECT_EQ(description.bytesPerPacket, 4u);
    EXPECT_EQ(description.framesPerPacket, 1u);
    EXPECT_EQ(description.channelsPerFrame, 2u);
    EXPECT_EQ(description.bitsPerChannel, 16u);
    EXPECT_EQ(audioFormats[0].second, audio(48000, 2));

    ASSERT_EQ(audioBuffers.size(), 2u);
    EXPECT_EQ(audioBuffers[0]->sampleCount(), 480);
    EXPECT_EQ(audioBuffers[0]->presentationTimeStamp(), Media::MediaTime::make(5'000'000, 1'000'000'000));
    EXPECT_EQ(audioBuffers[0]->duration(), Media::MediaTime::make(480, 48000));
    EXPECT_EQ(audioBuffers[0]->audioFormatDescription(), audioFormats[0].first);

    // The first chunk after a new format always yields a reading; the second, in the same
    // instant, is held back by the meter's publishing rate.
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_NEAR(readings[0].levelDBFS, -6.02, 0.01);
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Received "),
              (std::vector<std::string>{"[Umberlin stream] Received phone audio format: 48000 Hz, 2 channel(s)",
                                        "[Umberlin stream] Received first phone audio frame: 1920 bytes"}));
}

TEST_F(NetworkCameraReceiverAudioTelemetryTests, TheSameAudioFormatAgainChangesNothing) {
    deliver(joined({jsonPacket(MessageType::audioConfiguration, audio(48000, 1)),
                    phonePacket(MessageType::audioFrame, pcm(10, 1, 30000)),
                    jsonPacket(MessageType::audioConfiguration, audio(48000, 1))}));
    harness.advance(100ms);
    deliver(phonePacket(MessageType::audioFrame, pcm(10, 1, 0)));
    EXPECT_EQ(audioFormats.size(), 1u);
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Received first phone audio frame").size(), 1u);
    // The meter kept its state: the level falls at 24 dB/s instead of dropping to silence.
    ASSERT_EQ(readings.size(), 2u);
    EXPECT_NEAR(readings[1].levelDBFS, readings[0].levelDBFS - 2.4, 1e-9);
}

TEST_F(NetworkCameraReceiverAudioTelemetryTests, ANewAudioFormatRestartsTheMeterAndTheFirstFrameLog) {
    deliver(joined({jsonPacket(MessageType::audioConfiguration, audio(48000, 1)),
                    phonePacket(MessageType::audioFrame, pcm(10, 1, 30000))}));
    harness.advance(100ms);
    deliver(joined({jsonPacket(MessageType::audioConfiguration, audio(44100, 1)),
                    phonePacket(MessageType::audioFrame, pcm(10, 1, 0))}));
    ASSERT_EQ(audioFormats.size(), 2u);
    EXPECT_EQ(audioFormats[1].second, audio(44100, 1));
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Received first phone audio frame").size(), 2u);
    ASSERT_EQ(readings.size(), 2u);
    EXPECT_EQ(readings[1].levelDBFS, -60);
    EXPECT_EQ(audioBuffers.back()->duration(), Media::MediaTime::make(10, 44100));
}

TEST_F(NetworkCameraReceiverAudioTelemetryTests, AudioConfigurationsOutsideTheSupportedRangeEndTheConnection) {
    for (const auto& configuration : {audio(7999, 1), audio(192001, 2), audio(48000, 9), audio(48000, 0)}) {
        auto& fresh = harness.connectReady(cameraService("Studio", wifiInterface()));
        harness.deliver(fresh, jsonPacket(MessageType::audioConfiguration, configuration));
        EXPECT_EQ(harness.lastState(), State::failed(invalidAudioConfiguration))
            << configuration.sampleRate << " Hz, " << configuration.channelCount << " channels";
        EXPECT_TRUE(fresh.isCancelled());
    }
    EXPECT_TRUE(audioFormats.empty());
    // The edges themselves are fine.
    auto& fresh = harness.connectReady(cameraService("Studio", wifiInterface()));
    harness.deliver(fresh, joined({jsonPacket(MessageType::audioConfiguration, audio(8000, 8)),
                                   jsonPacket(MessageType::audioConfiguration, audio(192000, 1))}));
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
    EXPECT_EQ(audioFormats.size(), 2u);
}

TEST_F(NetworkCameraReceiverAudioTelemetryTests, PartialAudioFramesEndTheConnection) {
    // Three bytes of mono, six bytes (one and a half frames) of stereo, nothing at all.
    for (const auto& [channels, frame] : {std::pair{1, Bytes{1, 2, 3}}, {2, Bytes(6, 0)}, {2, Bytes{}}}) {
        auto& fresh = harness.connectReady(cameraService("Studio", wifiInterface()));
        harness.deliver(fresh, joined({jsonPacket(MessageType::audioConfiguration, audio(48000, channels)),
                                       phonePacket(MessageType::audioFrame, frame)}));
        EXPECT_EQ(harness.lastState(), State::failed("The phone sent an invalid PCM audio frame.")) << frame.size();
    }
    EXPECT_TRUE(audioBuffers.empty());
    EXPECT_TRUE(readings.empty());
}

}  // namespace
}  // namespace Quillfen::Testing
