// The simulator end to end over loopback TCP: what a monitor receives, and what its commands do.

#include <gtest/gtest.h>

#include <array>

#include "SimulatorTestSupport.hpp"
#include "Support/HevcPictureDecoder.hpp"

namespace SimulatorTests {
namespace {

using namespace UmberlinWire;

TEST(SimulatorStream, AnnouncesTheStreamInOrderWithSequenceNumbersCountingUp) {
    auto simulator = startSimulator({"--device-name", "Bench Phone", "--source-id", "bench-1", "--camera-name", "Wide",
                                     "--fps", "25", "--bit-rate", "900000", "--nal-length", "2", "--rotation", "90",
                                     "--sample-rate", "32000", "--channels", "3"});
    WireTestClient client(simulator->waitForPort());

    std::vector<Message> messages;
    for (int index = 0; index < 40; ++index) {
        auto message = client.nextMessage();
        ASSERT_TRUE(message) << "message " << index << " did not arrive\n" << simulator->output();
        messages.push_back(*message);
    }
    const std::vector<MessageType> announcements = {MessageType::hello,
                                                    MessageType::videoConfiguration,
                                                    MessageType::audioConfiguration,
                                                    MessageType::videoOrientation,
                                                    MessageType::status,
                                                    MessageType::cameraControlStatus};
    for (std::size_t index = 0; index < announcements.size(); ++index)
        EXPECT_EQ(messages[index].header.type, announcements[index]) << "announcement " << index;
    for (std::size_t index = 0; index < messages.size(); ++index)
        EXPECT_EQ(messages[index].header.sequenceNumber, index);

    EXPECT_EQ(decode<Hello>(messages[0].payload),
              (Hello{"bench-1", "Bench Phone", "Wide", Codec::hevc, 320, 240, 25, 900000}));
    const auto video = decode<VideoConfiguration>(messages[1].payload);
    EXPECT_EQ(video.width, 320);
    EXPECT_EQ(video.height, 240);
    EXPECT_EQ(video.nalUnitHeaderLength, 2);
    EXPECT_EQ(video.parameterSets.size(), 3u);  // VPS, SPS, PPS
    EXPECT_EQ(decode<AudioConfiguration>(messages[2].payload),
              (AudioConfiguration{AudioCodec::linearPCM16LittleEndian, 32000, 3}));
    EXPECT_EQ(decode<VideoOrientation>(messages[3].payload).rotationAngleDegrees, 90);
    const auto status = decode<DeviceStatus>(messages[4].payload);
    ASSERT_TRUE(status.batteryLevel && status.attitude);
    EXPECT_GT(*status.batteryLevel, 0.0);
    EXPECT_LE(*status.batteryLevel, 1.0);
    const DeviceAttitude& q = *status.attitude;
    EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0, 1e-9);
    EXPECT_EQ(status.audioCaptureState, AudioCaptureState::ready);
    EXPECT_NO_THROW(decode<CameraControlStatus>(messages[5].payload));
}

struct PictureCase {
    const char* size;
    int width;
    int height;
    int bitDepth;
    int nalUnitHeaderLength;
    int rotation;
    // Frame corners, as (right?, bottom?), that a clockwise turn by the rotation brings to the
    // upright picture's top-left (red) and top-right (blue).
    std::array<bool, 2> redCorner;
    std::array<bool, 2> blueCorner;

    friend void PrintTo(const PictureCase& picture, std::ostream* out) {
        *out << picture.size << " " << picture.bitDepth << "-bit, " << picture.nalUnitHeaderLength
             << "-byte lengths, turned " << picture.rotation;
    }
};

class SimulatorPicture : public testing::TestWithParam<PictureCase> {};

TEST_P(SimulatorPicture, KeyFramesDecodeToThePictureOfTheConfiguredSizeTurnedByTheAnnouncedRotation) {
    const PictureCase& picture = GetParam();
    auto simulator = startSimulator({"--size", picture.size, "--bit-depth", std::to_string(picture.bitDepth),
                                     "--nal-length", std::to_string(picture.nalUnitHeaderLength), "--rotation",
                                     std::to_string(picture.rotation), "--keyframe-interval", "5"});
    WireTestClient client(simulator->waitForPort());
    const auto configurationMessage = client.nextMessageOfType(MessageType::videoConfiguration);
    ASSERT_TRUE(configurationMessage) << simulator->output();
    const auto configuration = decode<VideoConfiguration>(configurationMessage->payload);
    const auto orientation = client.nextMessageOfType(MessageType::videoOrientation);
    ASSERT_TRUE(orientation) << simulator->output();
    EXPECT_EQ(decode<VideoOrientation>(orientation->payload).rotationAngleDegrees, picture.rotation);

    std::vector<Message> frames;
    while (frames.size() < 7) {
        auto frame = client.nextMessageOfType(MessageType::videoFrame);
        ASSERT_TRUE(frame) << simulator->output();
        frames.push_back(*frame);
    }
    ASSERT_TRUE(frames[0].header.flags.contains(Flags::keyFrame)) << "the stream must start with a key frame";
    EXPECT_FALSE(frames[1].header.flags.contains(Flags::keyFrame));
    for (std::size_t index = 1; index < frames.size(); ++index)
        EXPECT_GT(frames[index].header.presentationTimeNanoseconds,
                  frames[index - 1].header.presentationTimeNanoseconds);
    // Pictures may be skipped under load, but key frames still come every five encoded frames.
    EXPECT_TRUE(frames[5].header.flags.contains(Flags::keyFrame));

    const auto decoded = decodePicture(configuration, frames[0].payload);
    ASSERT_TRUE(decoded) << "libavcodec decoded no picture from the key frame";
    EXPECT_EQ(decoded->width, picture.width) << "the frame keeps its size whatever the rotation";
    EXPECT_EQ(decoded->height, picture.height);
    EXPECT_EQ(decoded->bitDepth, picture.bitDepth);
    const int inset = picture.height / 16;
    const auto sampleAt = [&](std::array<bool, 2> corner, int plane) {
        return decoded->sample8(plane, corner[0] ? decoded->width - 1 - inset : inset,
                                corner[1] ? decoded->height - 1 - inset : inset);
    };
    EXPECT_GT(sampleAt(picture.redCorner, 2), 200) << "red (high V) belongs in this corner";
    EXPECT_LT(sampleAt(picture.redCorner, 1), 110);
    EXPECT_GT(sampleAt(picture.blueCorner, 1), 200) << "blue (high U) belongs in this corner";
    EXPECT_LT(sampleAt(picture.blueCorner, 2), 140);
}

INSTANTIATE_TEST_SUITE_P(Formats, SimulatorPicture,
                         testing::Values(PictureCase{"320x240", 320, 240, 8, 4, 0, {false, false}, {true, false}},
                                         PictureCase{"352x288", 352, 288, 10, 3, 90, {false, true}, {false, false}},
                                         PictureCase{"256x144", 256, 144, 8, 2, 180, {true, true}, {false, true}},
                                         PictureCase{"320x240", 320, 240, 8, 4, 270, {true, false}, {true, true}}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(SimulatorStream, AudioFramesCarryTheConfiguredFormatOnTheVideoClockPlusTheOffset) {
    auto simulator = startSimulator({"--sample-rate", "32000", "--channels", "3", "--audio-offset-ms", "250"});
    WireTestClient client(simulator->waitForPort());

    std::vector<Message> audio;
    std::optional<Message> firstVideo;
    while (audio.size() < 10 || !firstVideo) {
        auto message = client.nextMessage();
        ASSERT_TRUE(message) << simulator->output();
        if (message->header.type == MessageType::audioFrame) audio.push_back(*message);
        if (message->header.type == MessageType::videoFrame && !firstVideo) firstVideo = message;
    }
    constexpr std::uint64_t packetNanoseconds = 20'000'000;  // 640 frames at 32 kHz
    for (std::size_t index = 0; index < audio.size(); ++index) {
        EXPECT_EQ(audio[index].payload.size(), 640u * 3 * 2) << "20 ms of 3-channel 16-bit audio";
        if (index > 0) {
            EXPECT_EQ(
                audio[index].header.presentationTimeNanoseconds - audio[index - 1].header.presentationTimeNanoseconds,
                packetNanoseconds);
        }
    }
    // Audio and video share one clock: without the offset, the first audio sample sits exactly
    // on a frame time.
    const std::uint64_t audioStart = audio[0].header.presentationTimeNanoseconds - 250'000'000;
    const std::uint64_t videoTime = firstVideo->header.presentationTimeNanoseconds;
    ASSERT_GE(videoTime, audioStart);
    EXPECT_EQ((videoTime - audioStart) % (1'000'000'000 / 30), 0u);
}

TEST(SimulatorStream, ServesOneClientAtATimeThenTheNextAndStopsCleanlyOnSigterm) {
    auto simulator = startSimulator();
    const int port = simulator->waitForPort();
    {
        WireTestClient first(port);
        ASSERT_TRUE(first.nextMessageOfType(MessageType::videoFrame)) << simulator->output();
        // One monitor at a time: a second one is turned away at once instead of waiting unserved.
        WireTestClient intruder(port);
        EXPECT_TRUE(intruder.waitForClose(3s)) << simulator->output();
        EXPECT_TRUE(intruder.receivedBytes().empty());
        EXPECT_TRUE(simulator->waitForLine("already serving one")) << simulator->output();
        EXPECT_TRUE(first.nextMessageOfType(MessageType::videoFrame)) << "the first client is still served";
    }
    ASSERT_TRUE(simulator->waitForLine("gone: client closed the connection")) << simulator->output();

    WireTestClient second(port);
    const auto hello = second.nextMessage();
    ASSERT_TRUE(hello) << simulator->output();
    EXPECT_EQ(hello->header.type, MessageType::hello);
    EXPECT_EQ(hello->header.sequenceNumber, 0u) << "each connection counts from 0";

    EXPECT_EQ(simulator->stop(), 0);
    EXPECT_TRUE(second.waitForClose(2s)) << "the client's connection is closed on exit";
    EXPECT_TRUE(simulator->waitForLine("stopping", 0ms));
}

TEST(SimulatorStream, SkipsUnreadableCommandsAndDropsAClientThatSendsNoProtocol) {
    auto simulator = startSimulator();
    const int port = simulator->waitForPort();
    {
        WireTestClient client(port);
        const std::string notJson = "{\"requestStatus\": tru";
        client.sendCommandPayload(ByteView(reinterpret_cast<const std::uint8_t*>(notJson.data()), notJson.size()));
        const std::string wrongCase = "{\"requestStatus\":false,\"exposureMode\":\"Manual\"}";
        client.sendCommandPayload(ByteView(reinterpret_cast<const std::uint8_t*>(wrongCase.data()), wrongCase.size()));
        ASSERT_TRUE(simulator->waitForLine("ignored an unreadable camera-control command")) << simulator->output();
        client.drainFor(300ms);
        EXPECT_FALSE(client.closedByPeer()) << "an unreadable command is skipped; the stream goes on";
        EXPECT_TRUE(client.nextMessageOfType(MessageType::videoFrame));

        const std::string garbage = "GET / HTTP/1.1\r\nHost: phone\r\n\r\n";
        client.sendRaw(ByteView(reinterpret_cast<const std::uint8_t*>(garbage.data()), garbage.size()));
        EXPECT_TRUE(client.waitForClose(5s)) << simulator->output();
        EXPECT_TRUE(
            simulator->waitForLine("client sent an invalid stream: The stream does not contain an Umberlin packet."))
            << simulator->output();
    }
    WireTestClient next(port);
    const auto hello = next.nextMessage();
    ASSERT_TRUE(hello) << simulator->output();
    EXPECT_EQ(hello->header.type, MessageType::hello);
}

TEST(SimulatorStream, WithoutDnsSdItSaysSoOnceAndServesTcp) {
    // A system bus that does not exist: the Avahi client cannot reach any daemon (and no
    // advertisement can leave this machine).
    SimulatorProcess simulator({"--address", "127.0.0.1", "--port", "0", "--size", "320x240", "--name", "Offline"},
                               {"DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/umberlin-test-bus"});
    WireTestClient client(simulator.waitForPort());
    EXPECT_TRUE(simulator.waitForLine("DNS-SD unavailable (")) << simulator.output();
    EXPECT_TRUE(client.nextMessageOfType(MessageType::videoFrame)) << simulator.output();
    EXPECT_EQ(simulator.stop(), 0);
}

TEST(SimulatorStream, RefusesSettingsItCannotStreamBeforeListening) {
    SimulatorProcess tooLarge({"--no-advertise", "--size", "3842x2160"});
    EXPECT_EQ(tooLarge.waitForExit(), 2);
    EXPECT_NE(tooLarge.output().find("--size width must be between 16 and 3840"), std::string::npos)
        << tooLarge.output();

    // A key frame's NAL units never fit a 1-byte length prefix.
    SimulatorProcess shortPrefix({"--no-advertise", "--port", "0", "--size", "64x48", "--nal-length", "1"});
    EXPECT_EQ(shortPrefix.waitForExit(), 1);
    EXPECT_NE(shortPrefix.output().find("does not fit a 1-byte length prefix"), std::string::npos)
        << shortPrefix.output();
    EXPECT_EQ(shortPrefix.output().find("listening on"), std::string::npos);
}

}  // namespace
}  // namespace SimulatorTests
