// Camera-control commands: their framing, sequence numbers, and what happens when they
// cannot go out.

#include <limits>

#include "Reception/NetworkCameraReceiverHarness.hpp"

namespace Quillfen::Testing {
namespace {

using UmberlinWire::Bytes;
using UmberlinWire::CameraControlCommand;
using UmberlinWire::MessageType;

CameraControlCommand lensCommand(double lensPosition) {
    return {.requestStatus = false,
            .exposureMode = {},
            .exposureBiasEV = {},
            .iso = {},
            .exposureDurationSeconds = {},
            .focusMode = UmberlinWire::CameraFocusMode::locked,
            .focusPointX = {},
            .focusPointY = {},
            .lensPosition = lensPosition};
}

struct SentCommand {
    UmberlinWire::Header header;
    CameraControlCommand command;
};

// Reads a sent packet back as the phone would.
SentCommand readBack(const Bytes& packet) {
    UmberlinWire::UmberlinWireStreamParser parser;
    const auto messages = parser.append(packet);
    if (messages.size() != 1) throw std::runtime_error("not exactly one packet");
    return {messages[0].header, UmberlinWire::decode<CameraControlCommand>(messages[0].payload)};
}

class NetworkCameraReceiverCommandTests : public ::testing::Test {
protected:
    ReceiverHarness harness;
    const NetworkCameraService studio = cameraService("Studio", wifiInterface());
};

TEST_F(NetworkCameraReceiverCommandTests, CommandsAreFramedWithSequenceNumbersFromZero) {
    auto& connection = harness.connectReady(studio);
    harness.receiver->sendCameraControlCommand(lensCommand(0.25));
    harness.receiver->sendCameraControlCommand(lensCommand(0.5));
    harness.run();

    ASSERT_EQ(connection.sends().size(), 2u);
    const auto first = readBack(connection.sends()[0].content);
    EXPECT_EQ(first.header.type, MessageType::cameraControlCommand);
    EXPECT_EQ(first.header.flags, UmberlinWire::Flags());
    EXPECT_EQ(first.header.presentationTimeNanoseconds, 0u);
    EXPECT_EQ(first.header.sequenceNumber, 0u);
    EXPECT_EQ(first.command, lensCommand(0.25));
    EXPECT_EQ(readBack(connection.sends()[1].content).header.sequenceNumber, 1u);

    // Each connection counts from zero again.
    auto& next = harness.connectReady(studio);
    harness.receiver->sendCameraControlCommand(lensCommand(0.75));
    harness.run();
    ASSERT_EQ(next.sends().size(), 1u);
    EXPECT_EQ(readBack(next.sends()[0].content).header.sequenceNumber, 0u);
}

TEST_F(NetworkCameraReceiverCommandTests, AStreamAnnouncementAsksForTheCameraStatus) {
    auto& connection = harness.connectReady(studio);
    harness.deliver(connection, jsonPacket(MessageType::hello, hello(30)));
    ASSERT_EQ(connection.sends().size(), 1u);
    const auto sent = readBack(connection.sends()[0].content);
    EXPECT_EQ(sent.header.sequenceNumber, 0u);
    EXPECT_EQ(sent.command, (CameraControlCommand{.requestStatus = true}));
    const auto& content = connection.sends()[0].content;
    EXPECT_EQ(std::string(content.begin() + 24, content.end()), R"({"requestStatus":true})");
}

TEST_F(NetworkCameraReceiverCommandTests, WithoutAConnectionNothingIsSent) {
    harness.receiver->sendCameraControlCommand(lensCommand(0.25));
    harness.run();
    EXPECT_TRUE(harness.connections.created().empty());

    auto& failed = harness.connect(studio);
    failed.reportState(UmberlinPlatform::ConnectionState::failed({111, "Connection refused."}));
    harness.run();
    harness.receiver->sendCameraControlCommand(lensCommand(0.25));
    harness.run();
    EXPECT_TRUE(failed.sends().empty());
    EXPECT_EQ(harness.lastState(), State::failed("Connection refused."));
}

TEST_F(NetworkCameraReceiverCommandTests, WhileConnectingCommandsAreQueuedOnTheConnection) {
    auto& connection = harness.connect(studio);
    harness.receiver->sendCameraControlCommand(lensCommand(0.25));
    harness.run();
    ASSERT_EQ(connection.sends().size(), 1u);
    EXPECT_EQ(readBack(connection.sends()[0].content).header.sequenceNumber, 0u);
}

TEST_F(NetworkCameraReceiverCommandTests, ACommandWithoutAJsonFormIsLoggedAndNotCounted) {
    auto& connection = harness.connectReady(studio);
    harness.receiver->sendCameraControlCommand(lensCommand(std::numeric_limits<double>::quiet_NaN()));
    harness.receiver->sendCameraControlCommand(lensCommand(0.5));
    harness.run();
    ASSERT_EQ(connection.sends().size(), 1u);
    EXPECT_EQ(readBack(connection.sends()[0].content).header.sequenceNumber, 0u);
    const auto lines = harness.logLinesStartingWith("[Umberlin stream] Camera control command failed: ");
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
}

TEST_F(NetworkCameraReceiverCommandTests, AFailedSendIsOnlyLogged) {
    auto& connection = harness.connectReady(studio);
    harness.receiver->sendCameraControlCommand(lensCommand(0.5));
    harness.run();
    connection.completeSend(0, UmberlinPlatform::NetworkError{32, "Broken pipe."});
    harness.run();
    EXPECT_EQ(harness.logLinesStartingWith("[Umberlin stream] Camera control send failed"),
              std::vector<std::string>{"[Umberlin stream] Camera control send failed: Broken pipe."});
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
}

// A phone that floods announcements but never reads must not make the monitor buffer
// status requests without end.
TEST_F(NetworkCameraReceiverCommandTests, APhoneThatDoesNotReadGetsABoundedBacklog) {
    auto& connection = harness.connectReady(studio);
    Bytes flood;
    const auto announcement = jsonPacket(MessageType::hello, hello(30));
    for (int i = 0; i < 1000; ++i) flood.insert(flood.end(), announcement.begin(), announcement.end());
    harness.deliver(connection, flood);

    EXPECT_EQ(connection.sends().size(), NetworkCameraReceiver::maximumPendingCommandSends);
    EXPECT_EQ(harness.lastState(), State::connected("Studio"));
    EXPECT_TRUE(connection.hasPendingReceive());

    // Once the phone takes one, the next command goes out with the next number.
    connection.completeSend(0);
    harness.run();
    harness.receiver->sendCameraControlCommand(lensCommand(0.5));
    harness.run();
    ASSERT_EQ(connection.sends().size(), NetworkCameraReceiver::maximumPendingCommandSends + 1);
    EXPECT_EQ(readBack(connection.sends().back().content).header.sequenceNumber,
              NetworkCameraReceiver::maximumPendingCommandSends);
}

}  // namespace
}  // namespace Quillfen::Testing
