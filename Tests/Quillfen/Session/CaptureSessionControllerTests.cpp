#include <gtest/gtest.h>

#include "Session/CaptureSessionHarness.hpp"
#include "Session/PlatformWords.hpp"

namespace Quillfen::Testing {
namespace {

using UmberlinWire::CameraControlCapabilities;
using UmberlinWire::CameraControlCommand;
using UmberlinWire::CameraControlState;
using UmberlinWire::CameraControlStatus;
using UmberlinWire::CameraExposureMode;
using UmberlinWire::CameraFocusMode;

CameraControlStatus cameraStatus() {
    return CameraControlStatus{
        CameraControlCapabilities{true, -2, 2, true, true, 50.0, 1600.0, 1.0 / 4000, 1.0 / 30, true, true, true, true},
        CameraControlState{CameraExposureMode::automatic, 0.5, 190, 1.0 / 65, false, CameraFocusMode::automatic, 0.3,
                           false, false},
    };
}

class CaptureSessionControllerTest : public CaptureSessionTest {};

TEST_F(CaptureSessionControllerTest, AutomaticSelectionFollowsTheWiredEntryButAUsersChoiceStays) {
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    EXPECT_EQ(controller.message(), CaptureSessionController::initialMessage);

    discover(window, {{"Studio", {wifiInterface()}}});
    ASSERT_EQ(controller.sources().size(), 1u);
    EXPECT_EQ(controller.sources()[0].displayName(), "Studio \u2014 wireless camera");
    EXPECT_EQ(controller.selectedSourceID(), "camera:Studio.local:wlan0");
    EXPECT_EQ(controller.message(), "Connecting to Studio over Wi-Fi\u2026");

    // The same phone now also shows up on its USB link: an automatic choice moves there.
    discover(window, {{"Studio", {wifiInterface(), wiredInterface("anri0")}}});
    EXPECT_EQ(controller.selectedSourceID(), "camera:Studio.local:anri0");
    EXPECT_EQ(controller.selectedSourceKind(), CaptureSource::Kind::wiredCamera);
    EXPECT_EQ(controller.message(), "Connecting to Studio over USB\u2026");
    EXPECT_EQ(window.receiver.connections.created().size(), 2u);

    // The user picks Wi-Fi again; a later update keeps that choice.
    controller.selectSource("camera:Studio.local:wlan0", true);
    settle();
    discover(window, {{"Studio", {wiredInterface("anri0"), wifiInterface()}}});
    EXPECT_EQ(controller.selectedSourceID(), "camera:Studio.local:wlan0");

    // Selecting what is already selected changes nothing.
    const auto connectionsBefore = window.receiver.connections.created().size();
    controller.selectSource("camera:Studio.local:wlan0", true);
    settle();
    EXPECT_EQ(window.receiver.connections.created().size(), connectionsBefore);

    // The phone goes away: nothing selected, and the sentence for no phone.
    discover(window, {});
    EXPECT_FALSE(controller.selectedSourceID());
    EXPECT_EQ(controller.message(),
              "Start 4K Broadcast in Umberlin Capture, then connect the phone over Wi-Fi or supported USB.");
}

TEST_F(CaptureSessionControllerTest, ReceiverStatesBecomeTheWindowsSentences) {
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    discover(window, {{"Studio", {wiredInterface("anri0")}}});

    goLive(window);
    EXPECT_TRUE(controller.isRunning());
    EXPECT_EQ(controller.message(), "Live over USB \u00B7 Studio iPhone \u00B7 64\u00D748 \u00B7 30 fps");
    EXPECT_EQ(controller.connectedDeviceName(), "Studio iPhone");
    EXPECT_EQ(controller.sourceVideoDimensions(), (VideoDimensions{64, 48}));
    EXPECT_TRUE(controller.phoneAudioAvailable());
    EXPECT_EQ(controller.statusModeLabel(), "Direct camera over USB \u00B7 phone audio ready");
    EXPECT_EQ(window.renderer->keyFrames, 1);

    // A failure names the transport and keeps the text; the local-network sentence flags the
    // permission.
    const std::string blocked(platformWords().localNetworkDenied);
    auto& connection = window.receiver.connections.latest();
    connection.reportState(UmberlinPlatform::ConnectionState::failed(
        UmberlinPlatform::NetworkError{.code = 1, .localizedDescription = blocked}));
    settle();
    EXPECT_EQ(controller.message(), "USB camera error: " + blocked);
    EXPECT_TRUE(controller.localNetworkAccessDenied());
    EXPECT_FALSE(controller.isRunning());
    EXPECT_FALSE(controller.connectedDeviceName());
    EXPECT_FALSE(controller.phoneAudioAvailable());
    // A failed phone listed again is not retried on its own: only a refresh tries it.
    discover(window, {{"Studio", {wiredInterface("anri0")}}});
    EXPECT_EQ(controller.message(), "USB camera error: " + blocked);
    EXPECT_EQ(window.receiver.connections.created().size(), 1u);

    // Reconnecting clears the flag; the peer closing the stream waits for a broadcast again.
    controller.refreshSources();
    settle();
    EXPECT_EQ(controller.message(), "Connecting to Studio over USB\u2026");
    EXPECT_FALSE(controller.localNetworkAccessDenied());
    goLive(window);
    window.receiver.connections.latest().deliverEndOfStream();
    settle();
    EXPECT_EQ(controller.message(), "Waiting for Umberlin Capture to broadcast\u2026");
    EXPECT_EQ(controller.statusModeLabel(), "Direct camera over USB \u00B7 waiting for phone audio");

    // Back on a new port, its withdrawal never listed: the window connects to it there.
    auto endpoint = serviceEndpoint("Studio");
    endpoint.addresses = {{.interfaceIndex = 4, .host = "10.77.0.2", .port = 47811}};
    window.receiver.browsers.latest().reportResults({{endpoint, {wiredInterface("anri0")}}});
    settle();
    EXPECT_EQ(controller.message(), "Connecting to Studio over USB\u2026");
    EXPECT_EQ(window.receiver.connections.latest().endpoint, UmberlinPlatform::NetworkEndpoint(endpoint));
}

TEST_F(CaptureSessionControllerTest, RecordingStartsOnlyWhenLiveWithAudioAndShowsItsProgress) {
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    discover(window, {{"Studio", {wifiInterface()}}});
    const auto movie = std::filesystem::temp_directory_path() / "controller-test-recording.mov";

    auto& connection = window.receiver.connections.latest();
    connection.reportState(UmberlinPlatform::ConnectionState::ready());
    settle();
    window.receiver.deliver(connection,
                            joined({
                                jsonPacket(UmberlinWire::MessageType::videoConfiguration, videoConfiguration()),
                                phonePacket(UmberlinWire::MessageType::videoFrame, {0, 0, 0, 3, 0x26, 0x01, 0xAF}, 1,
                                            UmberlinWire::Flags::keyFrame),
                            }));
    settle();
    EXPECT_TRUE(controller.isRunning());
    EXPECT_FALSE(controller.canStartRecording()) << "no phone audio yet";
    controller.startRecording(movie, 0);
    settle();
    EXPECT_TRUE(window.writers.writers.empty());

    goLive(window);
    EXPECT_TRUE(controller.canStartRecording());
    controller.startRecording(movie, 90);
    settle();
    EXPECT_EQ(controller.recordingState().kind(), NetworkVideoRecorder::State::Kind::waitingForKeyFrame);
    EXPECT_EQ(controller.recordingStatusLabel(), "ARMED");
    EXPECT_EQ(controller.recordingMessage(), "Waiting for the next keyframe\u2026");
    EXPECT_EQ(controller.statusModeLabel(), platformWords().recordingModeLabel);
    EXPECT_FALSE(controller.canStartRecording());

    deliverKeyFrame(window, 2'000'000'000);
    EXPECT_EQ(controller.recordingState().kind(), NetworkVideoRecorder::State::Kind::recording);
    EXPECT_FALSE(controller.recordingMessage());

    controller.stopRecording();
    settle();
    EXPECT_EQ(controller.recordingStatusLabel(), "SAVING\u2026");
    EXPECT_FALSE(controller.canStartRecording());
    window.writers.writers.back()->completeFinishing();
    settle();
    EXPECT_EQ(controller.lastRecordingURL(), movie);
    EXPECT_EQ(controller.recordingMessage(), "Saved controller-test-recording.mov");
    EXPECT_FALSE(controller.recordingStatusLabel());
    std::filesystem::remove(movie);
}

TEST_F(CaptureSessionControllerTest, APhoneThatVanishesWhileRecordingEndsTheMovie) {
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    discover(window, {{"Studio", {wifiInterface()}}});
    goLive(window);
    controller.startRecording(std::filesystem::temp_directory_path() / "controller-test-vanished.mov", 0);
    deliverKeyFrame(window, 2'000'000'000);
    ASSERT_EQ(controller.recordingState().kind(), NetworkVideoRecorder::State::Kind::recording);

    discover(window, {});
    EXPECT_EQ(controller.recordingState().kind(), NetworkVideoRecorder::State::Kind::finishing);
}

TEST_F(CaptureSessionControllerTest, RecordingFailuresAreShownTwice) {
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    discover(window, {{"Studio", {wifiInterface()}}});
    goLive(window);
    window.writers.prepareNext = [](QuillfenTests::FakeMovieWriter& writer) {
        writer.startFails = true;
        writer.startError = UmberlinPlatform::MovieWriterError{.domain = UmberlinPlatform::posixErrorDomain,
                                                               .code = 28,
                                                               .localizedDescription = "No space left on device.",
                                                               .localizedFailureReason = std::nullopt,
                                                               .underlyingError = nullptr};
    };
    controller.startRecording(std::filesystem::temp_directory_path() / "controller-test-failing.mov", 0);
    deliverKeyFrame(window, 2'000'000'000);
    ASSERT_EQ(controller.recordingState().kind(), NetworkVideoRecorder::State::Kind::failed);
    EXPECT_EQ(controller.recordingStatusLabel(), "RECORDING ERROR");
    EXPECT_EQ(controller.recordingMessage(), "Recording failed: " + controller.recordingState().message());
    EXPECT_EQ(controller.recordingErrorMessage(), controller.recordingState().message());
    EXPECT_NE(controller.recordingErrorMessage()->find("No space left on device."), std::string::npos);
    EXPECT_TRUE(controller.canStartRecording()) << "a failed recorder can start again";
    controller.dismissRecordingError();
    EXPECT_FALSE(controller.recordingErrorMessage());
}

// The margins follow the data rate: 10 MB/s warns below 3 GB (five minutes) and stops below
// 300 MB (thirty seconds), above the 2 GB and 200 MB minimums.
TEST_F(CaptureSessionControllerTest, ALowDiskWarnsThenStopsTheRecordingWithTheNormalFinish) {
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    discover(window, {{"Studio", {wifiInterface()}}});
    goLive(window);
    const auto movie = std::filesystem::temp_directory_path() / "controller-test-low-space.mov";
    window.storage = StorageReading{1'000'000, 100'000'000'000};
    controller.startRecording(movie, 0);
    deliverKeyFrame(window, 2'000'000'000);
    EXPECT_EQ(controller.recordingStatusLabel(), "REC 00:00 \u00B7 1 MB \u00B7 100.0 GB free");
    EXPECT_FALSE(controller.recordingMessage());

    const auto oneSecondLater = [&](StorageReading storage) {
        window.storage = storage;
        window.spaceQueue->advance(RecordingSpaceWatch::interval);
        settle();
    };
    oneSecondLater({11'000'000, 2'500'000'000});
    EXPECT_EQ(controller.recordingStatusLabel(), "REC 00:00 \u00B7 11 MB \u00B7 2.5 GB free, about 4 min left");
    EXPECT_EQ(controller.recordingMessage(), "The recording disk is filling up: about 4 min left.");
    EXPECT_EQ(controller.recordingSpace()->level, RecordingSpace::Level::low);

    oneSecondLater({21'000'000, 250'000'000});
    EXPECT_EQ(controller.recordingState().kind(), NetworkVideoRecorder::State::Kind::finishing);
    EXPECT_TRUE(controller.recordingStoppedForLowSpace());
    window.writers.writers.back()->completeFinishing();
    settle();
    EXPECT_EQ(controller.recordingMessage(),
              "Recording stopped: the disk is almost full. Saved controller-test-low-space.mov");
    EXPECT_EQ(controller.lastRecordingURL(), movie);
    EXPECT_FALSE(controller.recordingSpace());
    EXPECT_EQ(window.spaceQueue->pendingCount(), 0u) << "no readings once the recording is over";
    std::filesystem::remove(movie);
}

class CaptureSessionBadgeTest : public CaptureSessionTest {};

TEST_F(CaptureSessionBadgeTest, RecordingBadgeCountsMinutesPastAnHour) {
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    discover(window, {{"Studio", {wifiInterface()}}});
    goLive(window);
    controller.startRecording(std::filesystem::temp_directory_path() / "controller-test-badge.mov", 0);
    deliverKeyFrame(window, 2'000'000'000);
    for (auto [seconds, badge] : {std::pair{125.9, "REC 02:05"}, {3725.0, "REC 62:05"}, {0.4, "REC 00:00"}}) {
        window.recorder->onDurationChanged(seconds);
        settle();
        EXPECT_EQ(controller.recordingStatusLabel(), badge) << seconds;
    }
}

// A phone flooding telemetry while the main thread is busy: one waiting update per kind, the
// latest value applied, and a value sent after a connection state is never applied before it.
TEST_F(CaptureSessionControllerTest, TelemetryFloodWaitsAsOneUpdatePerKindInOrder) {
    using UmberlinWire::MessageType;
    Window& window = openBrowsingWindow();
    auto& controller = *window.controller;
    discover(window, {{"Studio", {wiredInterface("anri0")}}});
    goLive(window);
    const auto status = [](double battery) {
        return UmberlinWire::DeviceStatus{battery, UmberlinWire::BatteryState::charging, std::nullopt, std::nullopt,
                                          std::nullopt};
    };
    auto camera = cameraControlStatus();

    for (int i = 1; i <= 200; ++i) {
        camera.state.exposureBiasEV = i / 100.0;
        window.receiver.deliver(window.receiver.connections.latest(),
                                joined({jsonPacket(MessageType::status, status(i / 200.0)),
                                        jsonPacket(MessageType::videoOrientation, UmberlinWire::VideoOrientation{i}),
                                        jsonPacket(MessageType::cameraControlStatus, camera)}));
        window.receiver.queue->runAllReady();
    }
    EXPECT_EQ(mainQueue->pendingCount(), 3u);
    settle();
    EXPECT_EQ(controller.deviceStatus(), status(1.0));
    EXPECT_EQ(controller.streamRotationAngleDegrees(), 180);
    EXPECT_EQ(controller.cameraControlStatus(), camera);

    // The connection fails and the phone is reached again before the main thread runs: the new
    // connection's status survives the clearing that the failure brings.
    window.receiver.deliver(window.receiver.connections.latest(), jsonPacket(MessageType::status, status(0.1)));
    window.receiver.queue->runAllReady();
    window.receiver.connections.latest().reportState(UmberlinPlatform::ConnectionState::failed(
        UmberlinPlatform::NetworkError{.code = 1, .localizedDescription = "x"}));
    controller.refreshSources();
    window.receiver.queue->runAllReady();
    window.receiver.connections.latest().reportState(UmberlinPlatform::ConnectionState::ready());
    window.receiver.queue->runAllReady();
    window.receiver.deliver(window.receiver.connections.latest(), jsonPacket(MessageType::status, status(0.9)));
    window.receiver.queue->runAllReady();
    settle();
    EXPECT_EQ(controller.deviceStatus(), status(0.9));
}

class CaptureSessionCameraControlTest : public CaptureSessionTest {
protected:
    void SetUp() override {
        window = &openBrowsingWindow();
        discover(*window, {{"Studio", {wifiInterface()}}});
        goLive(*window);
        phoneReports(cameraStatus());
    }

    void phoneReports(const CameraControlStatus& status) {
        window->receiver.deliver(window->receiver.connections.latest(),
                                 jsonPacket(UmberlinWire::MessageType::cameraControlStatus, status));
        settle();
    }

    CaptureSessionController& controller() { return *window->controller; }
    std::vector<CameraControlCommand> commands() { return cameraCommandsSent(window->receiver.connections.latest()); }

    Window* window = nullptr;
};

TEST_F(CaptureSessionCameraControlTest, ExposureCommandsCarryAllFourExposureFields) {
    controller().setCameraExposureBias(5);  // clamped to the phone's +2
    settle();
    EXPECT_EQ(controller().cameraControlStatus()->state.exposureBiasEV, 2);
    EXPECT_TRUE(controller().cameraControlStatus()->state.isAdjustingExposure);

    controller().setCameraISO(400);  // refused: not in manual mode
    controller().setCameraExposureMode(CameraExposureMode::manual);
    settle();
    const auto& state = controller().cameraControlStatus()->state;
    EXPECT_EQ(state.iso, 200) << "190 snaps to the nearest standard ISO";
    EXPECT_DOUBLE_EQ(state.exposureDurationSeconds, 1.0 / 60) << "1/65 s snaps to the nearest standard shutter";
    EXPECT_FALSE(state.isAdjustingExposure);

    controller().setCameraISO(5000);
    controller().setCameraExposureDuration(1.0 / 8000);
    controller().resetCameraExposureToAuto();
    settle();

    const auto sent = commands();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0], (CameraControlCommand{false, CameraExposureMode::automatic, 2.0, 190.0, 1.0 / 65}));
    EXPECT_EQ(sent[1], (CameraControlCommand{false, CameraExposureMode::manual, 2.0, 200.0, 1.0 / 60}));
    EXPECT_EQ(sent[2], (CameraControlCommand{false, CameraExposureMode::manual, 2.0, 1600.0, 1.0 / 60}));
    EXPECT_EQ(sent[3], (CameraControlCommand{false, CameraExposureMode::manual, 2.0, 1600.0, 1.0 / 4000}));
    EXPECT_EQ(sent[4], (CameraControlCommand{false, CameraExposureMode::automatic, 0.0, 1600.0, 1.0 / 4000}));
}

TEST_F(CaptureSessionCameraControlTest, FocusCommandsCarryOnlyFocusFields) {
    controller().refocusCamera(1.5, -0.25);
    controller().setCameraFocusLensPosition(1.2);
    settle();
    EXPECT_EQ(controller().cameraControlStatus()->state.isManualFocus, true);
    controller().refocusCamera(0.5, 0.5);  // refused while focus is manual
    controller().setCameraFocusMode(CameraFocusMode::automatic);
    settle();
    EXPECT_EQ(controller().cameraControlStatus()->state.focusMode, CameraFocusMode::automatic);

    const auto sent = commands();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(
        sent[0],
        (CameraControlCommand{
            .requestStatus = false, .focusMode = CameraFocusMode::automatic, .focusPointX = 1.0, .focusPointY = 0.0}));
    EXPECT_EQ(sent[1], (CameraControlCommand{
                           .requestStatus = false, .focusMode = CameraFocusMode::locked, .lensPosition = 1.0}));
    EXPECT_EQ(sent[2], (CameraControlCommand{.requestStatus = false, .focusMode = CameraFocusMode::automatic}));
}

TEST_F(CaptureSessionCameraControlTest, MissingCapabilitiesRefuseTheirCommands) {
    CameraControlStatus limited = cameraStatus();
    limited.capabilities = CameraControlCapabilities{
        false, 0, 0, false, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt, false, false, false, false};
    phoneReports(limited);
    controller().setCameraExposureBias(1);
    controller().setCameraExposureMode(CameraExposureMode::locked);
    controller().setCameraExposureMode(CameraExposureMode::manual);
    controller().setCameraFocusMode(CameraFocusMode::locked);
    controller().setCameraFocusLensPosition(0.5);
    controller().refocusCamera(0.5, 0.5);
    settle();
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(controller().cameraControlStatus(), limited);

    // Manual mode without ISO bounds: the mode changes, nothing is snapped, ISO is refused.
    limited.capabilities.supportsManualExposure = true;
    phoneReports(limited);
    controller().setCameraExposureMode(CameraExposureMode::manual);
    controller().setCameraISO(400);
    settle();
    ASSERT_EQ(commands().size(), 1u);
    EXPECT_EQ(controller().cameraControlStatus()->state.iso, 190);
}

TEST_F(CaptureSessionCameraControlTest, LevelReferenceNeedsAnAttitudeAndEndsWithTheConnection) {
    controller().setLevelReference();
    EXPECT_FALSE(controller().hasLevelReference());
    window->receiver.deliver(
        window->receiver.connections.latest(),
        jsonPacket(UmberlinWire::MessageType::status,
                   UmberlinWire::DeviceStatus{0.5, UmberlinWire::BatteryState::charging,
                                              UmberlinWire::DeviceAttitude{0, 0, 0, 1}, std::nullopt, "Lavalier"}));
    settle();
    EXPECT_EQ(controller().phoneAudioInputName(), "Lavalier");
    controller().setLevelReference();
    EXPECT_TRUE(controller().hasLevelReference());
    controller().refreshSources();
    settle();
    EXPECT_FALSE(controller().hasLevelReference()) << "a reconnection drops the level reference";
    EXPECT_EQ(controller().phoneAudioInputName(), "Phone microphone");
}

}  // namespace
}  // namespace Quillfen::Testing
