// The camera controls panel against a live session whose phone records every command: it
// offers what the phone can do and each control sends the command the controller makes.

#include "Monitor/CameraControls.hpp"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include "Session/CaptureSessionHarness.hpp"

namespace Quillfen::Testing {
namespace {

using UmberlinWire::CameraControlCommand;
using UmberlinWire::CameraControlStatus;
using UmberlinWire::CameraExposureMode;
using UmberlinWire::CameraFocusMode;

// The harness's phone, able to do everything, at ISO 36 and 1/50 s.
CameraControlStatus phoneStatus() {
    CameraControlStatus status = cameraControlStatus();
    auto& phone = status.capabilities;
    phone.supportsManualExposure = true;
    phone.minimumISO = 25;
    phone.maximumISO = 3200;
    phone.minimumExposureDurationSeconds = 1.0 / 8000;
    phone.maximumExposureDurationSeconds = 0.5;
    phone.supportsManualFocus = true;
    status.state.iso = 36;
    status.state.exposureDurationSeconds = 1.0 / 50;
    return status;
}

class CameraControlsTest : public CaptureSessionTest {
protected:
    void SetUp() override {
        window = &openBrowsingWindow();
        discover(*window, {{"Studio", {wifiInterface()}}});
        goLive(*window);
    }

    CameraControls& openPanel(const CameraControlStatus& status) {
        phoneReports(status);
        panel = std::make_unique<CameraControls>(*window->controller);
        return *panel;
    }

    void phoneReports(const CameraControlStatus& status) {
        window->receiver.deliver(window->receiver.connections.latest(),
                                 jsonPacket(UmberlinWire::MessageType::cameraControlStatus, status));
        settle();
    }

    // What the panel shows now (a rebuilt part replaces the old one).
    template <typename Widget> std::vector<Widget*> shown() const {
        std::vector<Widget*> widgets;
        for (Widget* widget : panel->findChildren<Widget*>())
            if (widget->isVisibleTo(panel.get())) widgets.push_back(widget);
        return widgets;
    }
    QStringList segments(const QString& picker) const {
        QStringList titles;
        for (QWidget* each : shown<QWidget>())
            if (each->objectName() == picker)
                for (auto* segment : each->findChildren<QToolButton*>()) titles << segment->text();
        return titles;
    }
    QToolButton* segment(const QString& picker, const QString& title) const {
        for (QWidget* each : shown<QWidget>())
            if (each->objectName() == picker)
                for (auto* segment : each->findChildren<QToolButton*>())
                    if (segment->text() == title) return segment;
        ADD_FAILURE() << "no segment " << title.toStdString() << " in " << picker.toStdString();
        return nullptr;
    }
    QSlider* slider(const QString& name) const {
        for (QSlider* each : shown<QSlider>())
            if (each->accessibleName() == name) return each;
        return nullptr;
    }
    bool showsText(const QString& text) const {
        for (QLabel* label : shown<QLabel>())
            if (label->text() == text) return true;
        return false;
    }
    QPushButton* resetAuto() const { return shown<QPushButton>().at(0); }
    std::vector<CameraControlCommand> commands() const {
        return cameraCommandsSent(window->receiver.connections.latest());
    }

    Window* window = nullptr;
    std::unique_ptr<CameraControls> panel;
};

TEST_F(CameraControlsTest, WithoutAStatusThePanelSaysControlsAreUnavailable) {
    panel = std::make_unique<CameraControls>(*window->controller);
    EXPECT_TRUE(showsText("Controls unavailable"));
    EXPECT_TRUE(showsText("Connect the current Umberlin Capture companion."));
    EXPECT_TRUE(shown<QPushButton>().empty());
}

TEST_F(CameraControlsTest, SegmentsFollowTheCapabilities) {
    struct Case {
        bool lock, manualExposure, autoFocus, focusLock, manualFocus;
        QStringList exposure, focus;
    };
    const std::vector<Case> cases{
        {true, true, true, true, true, {"Auto", "Lock", "Manual"}, {"Auto", "Lock", "Manual"}},
        {false, true, false, true, false, {"Auto", "Manual"}, {"Lock"}},
        {false, false, true, false, false, {"Auto"}, {"Auto"}},
    };
    for (const Case& each : cases) {
        CameraControlStatus status = phoneStatus();
        status.capabilities.supportsExposureLock = each.lock;
        status.capabilities.supportsManualExposure = each.manualExposure;
        status.capabilities.supportsAutoFocus = each.autoFocus;
        status.capabilities.supportsFocusLock = each.focusLock;
        status.capabilities.supportsManualFocus = each.manualFocus;
        openPanel(status);
        EXPECT_EQ(segments("Mode"), each.exposure);
        EXPECT_EQ(segments("Focus"), each.focus);
    }
    // A phone that reports no focus mode gets no focus section.
    CameraControlStatus noFocus = phoneStatus();
    noFocus.state.focusMode = std::nullopt;
    openPanel(noFocus);
    EXPECT_TRUE(segments("Focus").isEmpty());
    EXPECT_FALSE(showsText("Focus"));
}

TEST_F(CameraControlsTest, ManualExposureOffersOnlyThePhonesPresets) {
    CameraControlStatus status = phoneStatus();
    status.state.exposureMode = CameraExposureMode::manual;
    status.capabilities.minimumISO = 50;
    openPanel(status);
    ASSERT_TRUE(slider("ISO"));
    EXPECT_EQ(slider("ISO")->maximum(), 18) << "19 presets from 50 to 3200";
    ASSERT_TRUE(slider("Shutter"));
    EXPECT_EQ(slider("Shutter")->maximum(), 27) << "28 presets from 1/30 s to 1/8000 s";
    EXPECT_TRUE(showsText("Shutter is limited to 1/30 s to preserve the 30 fps stream."));

    // ISO 36 lies halfway between 32 and 40 and shows on the lower.
    status.capabilities.minimumISO = 25;
    openPanel(status);
    EXPECT_EQ(slider("ISO")->value(), 1);

    status.capabilities.minimumISO = 20;
    status.capabilities.maximumISO = 24;
    status.capabilities.minimumExposureDurationSeconds = 0;
    openPanel(status);
    EXPECT_FALSE(slider("ISO"));
    EXPECT_TRUE(showsText("The camera reports one available value"));
    EXPECT_FALSE(slider("Shutter"));
    EXPECT_FALSE(showsText("Shutter"));
}

TEST_F(CameraControlsTest, ResetAutoHasSomethingToDoFromAHundredthOfAStop) {
    struct Case {
        CameraExposureMode mode;
        double bias;
        bool enabled;
    };
    for (const Case& each :
         {Case{CameraExposureMode::automatic, 0.005, false}, Case{CameraExposureMode::automatic, 0.01, true},
          Case{CameraExposureMode::automatic, -0.01, true}, Case{CameraExposureMode::locked, 0, true}}) {
        CameraControlStatus status = phoneStatus();
        status.state.exposureMode = each.mode;
        status.state.exposureBiasEV = each.bias;
        openPanel(status);
        EXPECT_EQ(resetAuto()->isEnabled(), each.enabled) << each.bias;
    }
}

TEST_F(CameraControlsTest, EachControlSendsTheControllersCommand) {
    openPanel(phoneStatus());
    using Cmd = CameraControlCommand;
    struct Step {
        const char* what;
        std::function<void()> act;
        Cmd sent;
    };
    const std::vector<Step> steps{
        {"manual focus without a lens position", [&] { segment("Focus", "Manual")->click(); },
         Cmd{.requestStatus = false, .focusMode = CameraFocusMode::locked, .lensPosition = 0.0}},
        {"focus slider", [&] { slider("Manual focus distance")->setValue(250); },
         Cmd{.requestStatus = false, .focusMode = CameraFocusMode::locked, .lensPosition = 0.25}},
        {"focus lock", [&] { segment("Focus", "Lock")->click(); },
         Cmd{.requestStatus = false, .focusMode = CameraFocusMode::locked}},
        {"autofocus", [&] { segment("Focus", "Auto")->click(); },
         Cmd{.requestStatus = false, .focusMode = CameraFocusMode::automatic}},
        {"compensation slider", [&] { slider("Exposure compensation")->setValue(7); },
         Cmd{false, CameraExposureMode::automatic, -2 + 7.0 / 3, 36, 1.0 / 50}},
        {"exposure lock", [&] { segment("Mode", "Lock")->click(); },
         Cmd{false, CameraExposureMode::locked, -2 + 7.0 / 3, 36, 1.0 / 50}},
        {"manual exposure", [&] { segment("Mode", "Manual")->click(); },
         Cmd{false, CameraExposureMode::manual, -2 + 7.0 / 3, 32, 1.0 / 50}},
        {"ISO slider", [&] { slider("ISO")->setValue(4); },
         Cmd{false, CameraExposureMode::manual, -2 + 7.0 / 3, 64, 1.0 / 50}},
        {"shutter slider", [&] { slider("Shutter")->setValue(0); },
         Cmd{false, CameraExposureMode::manual, -2 + 7.0 / 3, 64, 1.0 / 30}},
        {"Reset Auto", [&] { resetAuto()->click(); }, Cmd{false, CameraExposureMode::automatic, 0, 64, 1.0 / 30}},
    };
    for (std::size_t index = 0; index < steps.size(); ++index) {
        steps[index].act();
        settle();
        const auto sent = commands();
        ASSERT_EQ(sent.size(), index + 1) << steps[index].what;
        EXPECT_EQ(sent.back(), steps[index].sent) << steps[index].what;
    }
}

}  // namespace
}  // namespace Quillfen::Testing
