#include <gtest/gtest.h>

#include "Session/CaptureSessionHarness.hpp"

namespace Quillfen::Testing {
namespace {

constexpr const char* allTaken = "Every discovered phone is already in use by another Rezuvidodo window.";

class CaptureSessionRegistryTest : public CaptureSessionTest {
protected:
    Window& openRegisteredWindow() {
        Window& window = openWindow();
        registry.registerController(window.controller, true);
        settle();
        return window;
    }

    // Records in `window` until the recorder has opened its (fake) movie.
    void startRecording(Window& window) {
        goLive(window);
        window.controller->startRecording(std::filesystem::temp_directory_path() / "registry-test.mov", 0);
        deliverKeyFrame(window, 3'000'000'000);
        ASSERT_EQ(window.controller->recordingState().kind(), NetworkVideoRecorder::State::Kind::recording);
    }

    CaptureSessionRegistry registry{mainQueue->postToThisQueue()};
};

TEST_F(CaptureSessionRegistryTest, ASecondWindowWaitsUntilTheFirstReleasesThePhone) {
    Window& first = openRegisteredWindow();
    discover(first, {{"Studio", {wifiInterface()}}});
    EXPECT_EQ(first.controller->selectedSourceID(), "camera:Studio.local:wlan0");

    Window& second = openRegisteredWindow();
    discover(second, {{"Studio", {wifiInterface()}}});
    EXPECT_FALSE(second.controller->selectedSourceID());
    EXPECT_EQ(second.controller->message(), allTaken);
    EXPECT_TRUE(second.receiver.connections.created().empty());
    EXPECT_FALSE(second.controller->isSourceAvailable("camera:Studio.local:wlan0"));

    second.controller->selectSource("camera:Studio.local:wlan0", true);
    EXPECT_EQ(second.controller->message(), "That phone is already in use by another Rezuvidodo window.");

    // Closing the first window hands the phone over in the same main-thread turn.
    registry.unregisterController(first.controller);
    EXPECT_EQ(second.controller->selectedSourceID(), "camera:Studio.local:wlan0");
    EXPECT_EQ(second.controller->message(), "Connecting to Studio over Wi-Fi\u2026");
    EXPECT_FALSE(first.controller->selectedSourceID());

    EXPECT_EQ(registry.controllerCount(), 2u) << "kept until its recorder is at rest";
    settle();
    EXPECT_EQ(registry.controllerCount(), 1u);

    registry.unregisterController(first.controller);  // a second disappearance does nothing
    settle();
    EXPECT_EQ(second.controller->selectedSourceID(), "camera:Studio.local:wlan0");
    EXPECT_EQ(registry.controllerCount(), 1u);
}

TEST_F(CaptureSessionRegistryTest, OnePhoneOnTwoInterfacesIsOneClaim) {
    const std::vector<std::pair<std::string, std::vector<UmberlinPlatform::NetworkInterface>>> phones{
        {"Studio", {wifiInterface(), wiredInterface("anri0")}}};
    Window& first = openRegisteredWindow();
    discover(first, phones);
    EXPECT_EQ(first.controller->selectedSourceID(), "camera:Studio.local:anri0");

    Window& second = openRegisteredWindow();
    discover(second, phones);
    EXPECT_FALSE(second.controller->isSourceAvailable("camera:Studio.local:anri0"));
    EXPECT_FALSE(second.controller->isSourceAvailable("camera:Studio.local:wlan0"));
    EXPECT_EQ(second.controller->message(), allTaken);

    // The owner may move between its own entries.
    first.controller->selectSource("camera:Studio.local:wlan0", true);
    settle();
    EXPECT_EQ(first.controller->selectedSourceID(), "camera:Studio.local:wlan0");
    EXPECT_FALSE(second.controller->isSourceAvailable("camera:Studio.local:anri0"));
}

// A phone added by address that discovery finds at the same address is one phone: whichever
// window takes it first, by either entry, the other cannot keep it by the other.
TEST_F(CaptureSessionRegistryTest, APhoneAddedByAddressAndDiscoveredIsOneClaim) {
    const UmberlinPlatform::HostPortEndpoint address{"10.77.0.2", 47810};
    const auto discoverStudio = [&](Window& window) {
        UmberlinPlatform::ServiceEndpoint studio = serviceEndpoint("Studio");
        studio.addresses = {{wifiInterface().index, "10.77.0.2", 47810}};
        window.receiver.browsers.latest().reportResults({{studio, {wifiInterface()}}});
        settle();
    };
    for (const bool discoveredFirst : {true, false}) {
        SCOPED_TRACE(discoveredFirst ? "discovered first" : "by address first");
        Window& discovering = openRegisteredWindow();
        Window& addressing = openRegisteredWindow();
        if (discoveredFirst) {
            discoverStudio(discovering);
            // Taken by address before this window's own discovery shows whose phone it is.
            addressing.controller->connectToAddress(address);
            settle();
            discoverStudio(addressing);
            EXPECT_FALSE(addressing.controller->selectedSourceID());
            EXPECT_EQ(addressing.controller->message(), allTaken);
            addressing.controller->connectToAddress(address);
            settle();
            EXPECT_EQ(addressing.controller->message(), "That phone is already in use by another Rezuvidodo window.");
            EXPECT_EQ(discovering.controller->selectedSourceID(), "camera:Studio.local:wlan0");
        } else {
            addressing.controller->connectToAddress(address);
            settle();
            goLive(addressing);  // its hello names the phone in the list
            discoverStudio(addressing);
            discoverStudio(discovering);
            EXPECT_FALSE(discovering.controller->selectedSourceID());
            EXPECT_EQ(discovering.controller->message(), allTaken);
            EXPECT_EQ(addressing.controller->selectedSourceID(), "address:10.77.0.2:47810");
            EXPECT_EQ(addressing.controller->message(),
                      "Live over IP \u00B7 Studio iPhone \u00B7 64\u00D748 \u00B7 30 fps");
        }
        // One entry for the phone in the window that added it, with the discovered phone's claim.
        ASSERT_EQ(addressing.controller->sources().size(), 1u);
        EXPECT_EQ(addressing.controller->sources()[0].claimID, "camera:Studio.local");
        EXPECT_EQ(addressing.controller->sources()[0].name, discoveredFirst ? "10.77.0.2:47810" : "Studio iPhone");
        registry.unregisterController(discovering.controller);
        registry.unregisterController(addressing.controller);
        settle();
    }
}

TEST_F(CaptureSessionRegistryTest, ThreeWindowsTwoPhones) {
    const std::vector<std::pair<std::string, std::vector<UmberlinPlatform::NetworkInterface>>> phones{
        {"Phone 10", {wifiInterface()}}, {"Phone 2", {wifiInterface()}}};
    Window& first = openRegisteredWindow();
    discover(first, phones);
    Window& second = openRegisteredWindow();
    discover(second, phones);
    Window& third = openRegisteredWindow();
    discover(third, phones);

    EXPECT_EQ(first.controller->selectedSourceID(), "camera:Phone 2.local:wlan0");
    EXPECT_EQ(second.controller->selectedSourceID(), "camera:Phone 10.local:wlan0");
    EXPECT_FALSE(third.controller->selectedSourceID());
    EXPECT_EQ(third.controller->message(), allTaken);

    registry.unregisterController(second.controller);
    EXPECT_EQ(third.controller->selectedSourceID(), "camera:Phone 10.local:wlan0");
    EXPECT_EQ(first.controller->selectedSourceID(), "camera:Phone 2.local:wlan0");
}

TEST_F(CaptureSessionRegistryTest, StopAllWithoutWindowsCompletesAtOnce) {
    bool completed = false;
    EXPECT_FALSE(registry.requiresRecordingFinalization());
    registry.stopAll([&] { completed = true; });
    EXPECT_TRUE(completed);
}

TEST_F(CaptureSessionRegistryTest, QuitWaitsForEveryMovieToBeFinalised) {
    Window& recording = openRegisteredWindow();
    discover(recording, {{"Studio", {wifiInterface()}}});
    Window& idle = openRegisteredWindow();
    discover(idle, {{"Studio", {wifiInterface()}}, {"Desk", {wifiInterface()}}});
    EXPECT_FALSE(registry.requiresRecordingFinalization()) << "nothing armed yet";

    startRecording(recording);
    EXPECT_TRUE(registry.requiresRecordingFinalization());

    bool completed = false;
    registry.stopAll([&] { completed = true; });
    settle();
    EXPECT_FALSE(completed) << "the movie is still being finalised";
    EXPECT_EQ(recording.controller->recordingState().kind(), NetworkVideoRecorder::State::Kind::finishing);

    recording.writers.writers.back()->completeFinishing();
    settle();
    EXPECT_TRUE(completed);
    EXPECT_FALSE(registry.requiresRecordingFinalization());
    EXPECT_EQ(recording.controller->lastRecordingURL(), std::filesystem::temp_directory_path() / "registry-test.mov");
}

TEST_F(CaptureSessionRegistryTest, AClosedWindowStaysAliveUntilItsMovieIsFinalised) {
    Window& window = openRegisteredWindow();
    discover(window, {{"Studio", {wifiInterface()}}});
    startRecording(window);
    std::weak_ptr<CaptureSessionController> controller = window.controller;

    registry.unregisterController(window.controller);
    window.controller.reset();
    settle();
    ASSERT_FALSE(controller.expired());
    EXPECT_EQ(registry.controllerCount(), 1u);

    window.writers.writers.back()->completeFinishing();
    settle();
    EXPECT_EQ(registry.controllerCount(), 0u);
    EXPECT_TRUE(controller.expired());
}

}  // namespace
}  // namespace Quillfen::Testing
