// Stream announcements, video configuration and frames, and what a broken or hostile phone
// stream does to the connection.

#include "Reception/NetworkCameraReceiverHarness.hpp"

namespace Quillfen::Testing {
namespace {

using UmberlinWire::Bytes;
using UmberlinWire::Flags;
using UmberlinWire::MessageType;

const std::string invalidHevc = "The phone sent an invalid HEVC configuration.";

class NetworkCameraReceiverVideoTests : public ::testing::Test {
protected:
    NetworkCameraReceiverVideoTests() {
        harness.receiver->onFormatChanged = [this] { ++formatChanges; };
        harness.receiver->onFirstFrameReceived = [this] { ++firstFrames; };
        harness.receiver->onSampleBuffer = [this](const Media::SampleBufferRef& buffer) { frames.push_back(buffer); };
        harness.receiver->onStreamInfoChanged = [this](const UmberlinWire::Hello& info) { hellos.push_back(info); };
        harness.receiver->onOrientationChanged = [this](const UmberlinWire::VideoOrientation& orientation) {
            orientations.push_back(orientation);
        };
        harness.receiver->onCameraControlStatusChanged = [this](const UmberlinWire::CameraControlStatus& status) {
            cameraStatuses.push_back(status);
        };
    }

    void deliver(const Bytes& bytes) { harness.deliver(connection, bytes); }

    ReceiverHarness harness;
    FakeNetworkConnection& connection = harness.connectReady(cameraService("Studio", wifiInterface()));
    int formatChanges = 0;
    int firstFrames = 0;
    std::vector<Media::SampleBufferRef> frames;
    std::vector<UmberlinWire::Hello> hellos;
    std::vector<UmberlinWire::VideoOrientation> orientations;
    std::vector<UmberlinWire::CameraControlStatus> cameraStatuses;
};

const Bytes accessUnit{0, 0, 0, 3, 0x26, 0x01, 0xAF};

TEST_F(NetworkCameraReceiverVideoTests, FramesWaitForAFormatAndARepeatedConfigurationBuildsItOnce) {
    deliver(phonePacket(MessageType::videoFrame, accessUnit, 1'000, Flags::keyFrame));
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(firstFrames, 0);

    deliver(joined({jsonPacket(MessageType::videoConfiguration, videoConfiguration()),
                    jsonPacket(MessageType::videoConfiguration, videoConfiguration()),
                    phonePacket(MessageType::videoFrame, accessUnit, 2'000, Flags::keyFrame),
                    phonePacket(MessageType::videoFrame, accessUnit, 3'000)}));
    EXPECT_EQ(formatChanges, 1);
    EXPECT_EQ(firstFrames, 1);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0]->isKeyFrame());
    EXPECT_FALSE(frames[1]->isKeyFrame());
    EXPECT_EQ(frames[1]->presentationTimeStamp(), Media::MediaTime::make(3'000, 1'000'000'000));
    EXPECT_EQ(frames[0]->videoFormatDescription()->dimensions(), (Media::VideoDimensions{64, 48}));

    // A different configuration replaces the format in place; frames that follow use it.
    deliver(joined({jsonPacket(MessageType::videoConfiguration, videoConfiguration(2)),
                    phonePacket(MessageType::videoFrame, {0, 3, 0x26, 0x01, 0xAF}, 4'000, Flags::keyFrame)}));
    EXPECT_EQ(formatChanges, 2);
    EXPECT_EQ(firstFrames, 1);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2]->videoFormatDescription()->nalUnitHeaderLength(), 2);
    EXPECT_TRUE(connection.hasPendingReceive());
}

TEST_F(NetworkCameraReceiverVideoTests, FrameDurationFollowsTheAnnouncedFrameRate) {
    deliver(jsonPacket(MessageType::videoConfiguration, videoConfiguration()));
    deliver(phonePacket(MessageType::videoFrame, accessUnit));
    deliver(jsonPacket(MessageType::hello, hello(60)));
    deliver(phonePacket(MessageType::videoFrame, accessUnit));
    deliver(jsonPacket(MessageType::hello, hello(0)));
    deliver(phonePacket(MessageType::videoFrame, accessUnit));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0]->duration(), Media::MediaTime::make(1, 30));
    EXPECT_EQ(frames[1]->duration(), Media::MediaTime::make(1, 60));
    EXPECT_EQ(frames[2]->duration(), Media::MediaTime::make(1, 1));
    EXPECT_EQ(hellos, (std::vector{hello(60), hello(0)}));
}

TEST_F(NetworkCameraReceiverVideoTests, AReconnectForgetsTheFormat) {
    deliver(joined({jsonPacket(MessageType::videoConfiguration, videoConfiguration()),
                    phonePacket(MessageType::videoFrame, accessUnit, 0, Flags::keyFrame)}));
    auto& second = harness.connectReady(cameraService("Studio", wifiInterface()));
    harness.deliver(second, phonePacket(MessageType::videoFrame, accessUnit, 0, Flags::keyFrame));
    EXPECT_EQ(frames.size(), 1u);
    harness.deliver(second, jsonPacket(MessageType::videoConfiguration, videoConfiguration()));
    harness.deliver(second, phonePacket(MessageType::videoFrame, accessUnit, 0, Flags::keyFrame));
    EXPECT_EQ(formatChanges, 2);
    EXPECT_EQ(firstFrames, 2);
}

TEST_F(NetworkCameraReceiverVideoTests, OrientationAndCameraStatusArePassedOn) {
    const UmberlinWire::CameraControlStatus status = cameraControlStatus();
    deliver(joined(
        {jsonPacket(MessageType::videoOrientation, UmberlinWire::VideoOrientation{270}),
         jsonPacket(MessageType::cameraControlStatus, status),
         // The phone has no business sending commands; they are ignored.
         jsonPacket(MessageType::cameraControlCommand, UmberlinWire::CameraControlCommand{.requestStatus = true})}));
    EXPECT_EQ(orientations, std::vector{UmberlinWire::VideoOrientation{270}});
    EXPECT_EQ(cameraStatuses, std::vector{status});
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
}

// A hostile or broken phone: each case ends in `failed` with its sentence, and what came
// after the failing message is dropped.
TEST_F(NetworkCameraReceiverVideoTests, BrokenStreamsEndTheConnectionWithTheirSentence) {
    auto configured = [](auto change) {
        UmberlinWire::VideoConfiguration configuration = videoConfiguration();
        change(configuration);
        return jsonPacket(MessageType::videoConfiguration, configuration);
    };
    Bytes oversized = phonePacket(MessageType::videoFrame, {});
    oversized[8] = 0x04;  // payload length 0x04000001: one byte over the limit
    oversized[11] = 0x01;
    const struct {
        Bytes stream;
        std::string sentence;
    } cases[] = {
        {jsonPacket(MessageType::videoConfiguration, videoConfiguration(5)), invalidHevc},
        {jsonPacket(MessageType::videoConfiguration, videoConfiguration(0)), invalidHevc},
        {configured([](auto& configuration) { configuration.parameterSets.clear(); }), invalidHevc},
        {configured([](auto& configuration) {
             configuration.parameterSets = {{0x01, 0x02, 0x03}};
         }),
         "The HEVC format could not be created (-12710)."},
        {joined({jsonPacket(MessageType::videoConfiguration, videoConfiguration()),
                 phonePacket(MessageType::videoFrame, {})}),
         "A compressed video buffer could not be created (-12704)."},
        {Bytes(30, 'x'), "The stream does not contain an Umberlin packet."},
        // The whole chunk holding the announcement is dropped, the message before it too.
        {joined({jsonPacket(MessageType::videoOrientation, UmberlinWire::VideoOrientation{90}), oversized}),
         "Wire payload size 67108865 exceeds the safety limit."},
    };
    std::vector<std::string> logged;
    for (const auto& broken : cases) {
        auto& fresh = harness.connectReady(cameraService("Studio", wifiInterface()));
        harness.deliver(fresh, joined({broken.stream,
                                       jsonPacket(MessageType::videoOrientation, UmberlinWire::VideoOrientation{90})}));
        EXPECT_EQ(harness.lastState(), State::failed(broken.sentence));
        EXPECT_TRUE(fresh.isCancelled()) << broken.sentence;
        EXPECT_FALSE(fresh.hasPendingReceive()) << broken.sentence;
        logged.push_back("[Umberlin stream] Phone stream processing failed: " + broken.sentence);
    }
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Phone stream processing failed"), logged);
    EXPECT_TRUE(orientations.empty());
    EXPECT_EQ(formatChanges, 1) << "only the one valid configuration made a format";
    EXPECT_EQ(firstFrames, 0);
}

TEST_F(NetworkCameraReceiverVideoTests, JsonOfTheWrongShapeEndsTheConnection) {
    const std::string text = R"({"rotationAngleDegrees":"ninety"})";
    deliver(phonePacket(MessageType::videoOrientation, Bytes(text.begin(), text.end())));
    ASSERT_EQ(harness.lastState().kind(), State::Kind::failed);
    EXPECT_FALSE(harness.lastState().text().empty());
    EXPECT_TRUE(connection.isCancelled());
}

TEST_F(NetworkCameraReceiverVideoTests, APayloadThatNeverCompletesWaitsHarmlessly) {
    Bytes partial = phonePacket(MessageType::videoFrame, Bytes(1000, 0x55));
    partial.resize(500);
    deliver(partial);
    harness.advance(std::chrono::seconds(60));
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
    EXPECT_TRUE(connection.hasPendingReceive());
    EXPECT_TRUE(frames.empty());
}

}  // namespace
}  // namespace Quillfen::Testing
