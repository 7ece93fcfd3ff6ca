// Each injected fault produces exactly the bytes it promises, so the monitor's handling of
// broken and unusual streams can be tested against it.

#include <gtest/gtest.h>

#include "SimulatorTestSupport.hpp"

namespace SimulatorTests {
namespace {

using namespace UmberlinWire;

constexpr std::size_t announcementCount = 6;

struct BrokenHeaderCase {
    const char* option;
    const char* after;
    ProtocolError expected;

    friend void PrintTo(const BrokenHeaderCase& fault, std::ostream* out) {
        *out << fault.option << " " << fault.after;
    }
};

class SimulatorBrokenHeader : public testing::TestWithParam<BrokenHeaderCase> {};

TEST_P(SimulatorBrokenHeader, SendsTheBrokenHeaderAndThenNothingMore) {
    const BrokenHeaderCase& fault = GetParam();
    auto simulator = startSimulator({fault.option, fault.after});
    WireTestClient client(simulator->waitForPort());
    ASSERT_TRUE(simulator->waitForLine("fault: ")) << simulator->output();
    client.drainFor(700ms);  // anything still to come would have arrived by now

    const ByteView bytes = client.receivedBytes();
    const ValidPrefix prefix = splitValidPrefix(bytes);
    ASSERT_GE(prefix.messages.size(), announcementCount);
    if (std::string(fault.after) == "0") {
        EXPECT_EQ(prefix.messages.size(), announcementCount) << "the fault follows the announcements at once";
    } else {
        EXPECT_GT(prefix.messages.size(), announcementCount) << "media flows before the fault";
    }
    for (std::size_t index = 0; index < prefix.messages.size(); ++index)
        EXPECT_EQ(prefix.messages[index].header.sequenceNumber, index);

    const ByteView rest = bytes.subspan(prefix.end);
    ASSERT_GE(rest.size(), static_cast<std::size_t>(headerSize));
    try {
        decodeHeader(rest);
        FAIL() << "the header after the valid messages decoded";
    } catch (const ProtocolError& error) {
        EXPECT_EQ(error, fault.expected) << error.what();
    }
    EXPECT_FALSE(client.closedByPeer()) << "the connection stays open; the monitor has to end it";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimulatorBrokenHeader,
    testing::Values(BrokenHeaderCase{"--bad-magic-after", "0", ProtocolError::invalidMagic()},
                    BrokenHeaderCase{"--bad-magic-after", "0.4", ProtocolError::invalidMagic()},
                    BrokenHeaderCase{"--oversized-after", "0", ProtocolError::payloadTooLarge(67'108'865)},
                    BrokenHeaderCase{"--oversized-after", "0.4", ProtocolError::payloadTooLarge(67'108'865)}),
    [](const auto& info) {
        return std::string(info.param.option[2] == 'b' ? "BadMagic" : "Oversized") +
               (std::string(info.param.after) == "0" ? "AfterAnnouncements" : "AfterMedia");
    });

TEST(SimulatorFaults, CloseAfterEndsTheConnectionAndServesTheNextClient) {
    auto simulator = startSimulator({"--close-after", "0.5"});
    const int port = simulator->waitForPort();
    for (int connection = 0; connection < 2; ++connection) {
        WireTestClient client(port);
        ASSERT_TRUE(client.nextMessageOfType(MessageType::videoFrame)) << simulator->output();
        EXPECT_TRUE(client.waitForClose(5s)) << simulator->output();
    }
    EXPECT_TRUE(simulator->waitForLine("gone: closed by fault injection"));
}

TEST(SimulatorFaults, NoAudioLeavesOutTheAudioConfigurationAndFrames) {
    auto simulator = startSimulator({"--no-audio"});
    WireTestClient client(simulator->waitForPort());
    const std::vector<MessageType> announcements = {MessageType::hello, MessageType::videoConfiguration,
                                                    MessageType::videoOrientation, MessageType::status,
                                                    MessageType::cameraControlStatus};
    for (MessageType expected : announcements) {
        auto message = client.nextMessage();
        ASSERT_TRUE(message);
        EXPECT_EQ(message->header.type, expected);
        if (expected == MessageType::status) {
            EXPECT_EQ(decode<DeviceStatus>(message->payload).audioCaptureState, AudioCaptureState::unavailable);
        }
    }
    int videoFrames = 0;
    while (videoFrames < 15) {
        auto message = client.nextMessage();
        ASSERT_TRUE(message);
        EXPECT_NE(message->header.type, MessageType::audioFrame);
        EXPECT_NE(message->header.type, MessageType::audioConfiguration);
        if (message->header.type == MessageType::videoFrame) ++videoFrames;
    }
}

}  // namespace
}  // namespace SimulatorTests
