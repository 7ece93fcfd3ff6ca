// Sessions on their real parts (worker-thread queues, TCP, the FFmpeg movie writer, the Qt
// main loop) against the phone simulator on loopback: the phone's stream recorded, a camera
// command sent back to it, and the phone kept from a second window. Only discovery is stood
// in for: the machine's real interfaces never carry mDNS, so a browser reports the simulator
// as seen on the loopback interface, marked as a phone's USB link.

#include <gtest/gtest.h>
#include <net/if.h>
#include <QTest>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>

#include "Session/AppIdentity.hpp"
#include "Session/CaptureSessionHarness.hpp"
#include "Support/SimulatorProcess.hpp"

namespace Quillfen::Testing {
namespace {

using namespace std::chrono_literals;
using RecorderKind = NetworkVideoRecorder::State::Kind;

class LoopbackPhoneBrowser final : public UmberlinPlatform::ServiceBrowser {
public:
    LoopbackPhoneBrowser(std::string name, std::uint16_t port) : name_(std::move(name)), port_(port) {}

    void setStateHandler(StateHandler handler) override { stateHandler_ = std::move(handler); }
    void setResultsChangedHandler(ResultsChangedHandler handler) override { resultsHandler_ = std::move(handler); }
    void start(std::shared_ptr<UmberlinPlatform::SerialQueue> queue) override {
        const unsigned index = ::if_nametoindex("lo");
        const UmberlinPlatform::BrowseResult result{
            UmberlinPlatform::ServiceEndpoint{name_, "_umberlin-camera._tcp", "local", {{index, "127.0.0.1", port_}}},
            {{.name = "lo",
              .type = UmberlinPlatform::InterfaceType::wiredEthernet,
              .index = index,
              .isPhoneUsbLink = true}}};
        queue->async([this, result] {
            if (stateHandler_)
                stateHandler_(UmberlinPlatform::BrowserState{UmberlinPlatform::BrowserState::Kind::ready, {}});
            if (resultsHandler_) resultsHandler_({result});
        });
    }
    void cancel() override {}

private:
    std::string name_;
    std::uint16_t port_;
    StateHandler stateHandler_;
    ResultsChangedHandler resultsHandler_;
};

std::shared_ptr<CaptureSessionController> sessionOnLoopback(std::uint16_t port) {
    auto receiverPorts = systemNetworkCameraReceiverPorts();
    receiverPorts.makeBrowser = [port](const std::string&, const UmberlinPlatform::NetworkParameters&) {
        return std::make_shared<LoopbackPhoneBrowser>("Loopback Phone", port);
    };
    return std::make_shared<CaptureSessionController>(CaptureSessionControllerParts{
        .receiver = NetworkCameraReceiver::make(receiverPorts),
        .renderer = std::make_shared<CountingRenderer>(),
        .recorder = NetworkVideoRecorder::make(systemNetworkVideoRecorderPorts()),
        .postToMain = qtPostToMain(),
    });
}

nlohmann::json probe(const std::filesystem::path& movie) {
    const std::string command =
        "ffprobe -v error -print_format json -show_format -show_streams '" + movie.string() + "'";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, count);
        ::pclose(pipe);
    }
    return nlohmann::json::parse(output, nullptr, false);
}

TEST(CaptureSessionEndToEnd, RecordsTheSimulatorAndKeepsThePhoneFromASecondWindow) {
    SimulatorTests::SimulatorProcess simulator(
        {"--no-advertise", "--address", "127.0.0.1", "--port", "0", "--size", "320x240", "--rotation", "90"});
    const auto port = static_cast<std::uint16_t>(simulator.waitForPort());
    const auto folder = std::filesystem::temp_directory_path() / ("session-e2e-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);

    CaptureSessionRegistry registry(qtPostToMain());
    auto first = sessionOnLoopback(port);
    registry.registerController(first, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->canStartRecording(); }, 20000)) << first->message();
    EXPECT_EQ(first->message().rfind("Live over USB \u00B7 ", 0), 0u) << first->message();
    EXPECT_EQ(first->streamRotationAngleDegrees(), 90);

    // A camera command travels the socket to the phone, which applies it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->cameraControlStatus().has_value(); }, 10000));
    first->setCameraExposureMode(UmberlinWire::CameraExposureMode::locked);
    EXPECT_TRUE(simulator.waitForLine("exposure locked")) << simulator.output();

    first->startRecording(folder / "take.mov", first->streamRotationAngleDegrees());
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->recordingState().kind() == RecorderKind::recording; }, 10000))
        << first->recordingMessage().value_or("");

    auto second = sessionOnLoopback(port);
    registry.registerController(second, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !second->sources().empty(); }, 10000));
    EXPECT_FALSE(second->selectedSourceID());
    EXPECT_EQ(second->message(), "Every discovered phone is already in use by another Rezuvidodo window.");

    QTest::qWait(3000);
    first->stopRecording();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->lastRecordingURL().has_value(); }, 20000))
        << first->recordingMessage().value_or("");
    EXPECT_EQ(first->recordingMessage(), "Saved take.mov");

    bool stopped = false;
    registry.stopAll([&] { stopped = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, 10000));

    const auto movie = probe(folder / "take.mov");
    ASSERT_TRUE(movie.contains("streams")) << movie.dump();
    ASSERT_EQ(movie["streams"].size(), 2u);
    EXPECT_EQ(movie["streams"][0]["codec_name"], "hevc");
    EXPECT_EQ(movie["streams"][0]["codec_tag_string"], "hvc1");
    EXPECT_EQ(movie["streams"][0]["width"], 320);
    EXPECT_EQ(movie["streams"][1]["codec_name"], "aac");
    EXPECT_EQ(movie["streams"][1]["sample_rate"], "48000");
    const double duration = std::stod(movie["format"]["duration"].get<std::string>());
    EXPECT_GT(duration, 2.5);
    EXPECT_LT(duration, 5.0);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace Quillfen::Testing
