#include "Monitor/ContentView.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "Monitor/CameraControls.hpp"
#include "Monitor/CameraGuideGeometry.hpp"
#include "Monitor/CameraGuidesOverlay.hpp"
#include "Monitor/ControlBar.hpp"
#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/FocusInteractionOverlay.hpp"
#include "Monitor/FocusReticle.hpp"
#include "Monitor/NetworkPreviewSurface.hpp"
#include "Monitor/NetworkVideoRenderer.hpp"
#include "Monitor/PictureArea.hpp"
#include "Monitor/RecordingFlow.hpp"
#include "Monitor/SourcePicker.hpp"
#include "Monitor/TeleprompterAppearanceButton.hpp"
#include "Monitor/TeleprompterAppearancePopover.hpp"
#include "Monitor/TeleprompterControlBar.hpp"
#include "Monitor/TeleprompterEditor.hpp"
#include "Monitor/TeleprompterOverlay.hpp"
#include "Monitor/VideoScopePanel.hpp"
#include "Recording/FakeRecordingFolderPicker.hpp"
#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionHarness.hpp"
#include "Teleprompter/TeleprompterController.hpp"

namespace Quillfen::Testing {
namespace {

namespace fs = std::filesystem;
using Kind = NetworkVideoRecorder::State::Kind;
using UmberlinWire::MessageType;

const QString waitingHint = "Waiting for synchronized phone audio. Keyboard shortcut Ctrl+Shift+R.";

// Stands in for the desktop's handler of file URLs.
class UrlCatcher : public QObject {
    Q_OBJECT

public slots:
    void open(const QUrl& url) { opened.push_back(url); }

public:
    std::vector<QUrl> opened;
};

// One monitor window: its session, its own preferences and recording folder, and its view.
struct MonitorWindow {
    MonitorWindow(Window& session, CaptureSessionRegistry& registry, QSettings& defaults,
                  std::shared_ptr<FakeRecordingFolderPicker> picker)
        : session(session), preferences(defaults), destination(defaults, std::move(picker)) {
        view = std::make_unique<ContentView>(ContentViewParts{*session.controller, registry, destination, preferences,
                                                              Monitor::NetworkVideoRenderer::make()});
        view->resize(ContentView::minimumContentWidth, ContentView::minimumContentHeight);
        view->show();
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }

    // The control bar's button titled `title`, or its screen reader name.
    QToolButton* button(const QString& title) const {
        for (auto* button : view->controlBar().findChildren<QToolButton*>())
            if (button->accessibleName() == title) return button;
        ADD_FAILURE() << "no button " << title.toStdString();
        return nullptr;
    }
    CaptureSessionController& controller() const { return *session.controller; }
    Monitor::NetworkPreviewView& preview() const {
        return static_cast<Monitor::NetworkPreviewSurface*>(view->pictureArea().layer(PictureLayer::preview))->view();
    }

    Window& session;
    DidaruzoriZeroroDidevuzadez preferences;
    RecordingDestinationStore destination;
    std::unique_ptr<ContentView> view;
};

class ContentViewTest : public CaptureSessionTest {
protected:
    MonitorWindow& openMonitorWindow() {
        Window& session = openWindow();
        registry.registerController(session.controller, true);
        settle();
        monitors.push_back(std::make_unique<MonitorWindow>(session, registry, defaults, picker));
        settle();  // the application's first activation refreshes the sources
        return *monitors.back();
    }

    // A window showing the phone "Studio" over Wi-Fi, live with its picture but before any audio.
    MonitorWindow& openLiveWindowWithoutAudio(UmberlinWire::Hello announced = hello(30), std::int64_t rotation = 0) {
        MonitorWindow& monitor = openMonitorWindow();
        discover(monitor.session, {{"Studio", {wifiInterface()}}});
        auto& connection = monitor.session.receiver.connections.latest();
        connection.reportState(UmberlinPlatform::ConnectionState::ready());
        settle();
        deliver(monitor, {jsonPacket(MessageType::hello, announced),
                          jsonPacket(MessageType::videoOrientation, UmberlinWire::VideoOrientation{rotation}),
                          jsonPacket(MessageType::videoConfiguration, videoConfiguration()),
                          phonePacket(MessageType::videoFrame, {0, 0, 0, 3, 0x26, 0x01, 0xAF}, 1'000'000'000,
                                      UmberlinWire::Flags::keyFrame)});
        return monitor;
    }

    void deliverAudio(MonitorWindow& monitor) {
        deliver(
            monitor,
            {jsonPacket(MessageType::audioConfiguration,
                        UmberlinWire::AudioConfiguration{UmberlinWire::AudioCodec::linearPCM16LittleEndian, 48000, 2}),
             phonePacket(MessageType::audioFrame, UmberlinWire::Bytes(4 * 480, 0), 1'000'000'000)});
    }

    // Camera control status and telemetry with an attitude: every control can act.
    void deliverCameraStatusAndAttitude(MonitorWindow& monitor) {
        const UmberlinWire::DeviceStatus telemetry{.batteryLevel = 0.5,
                                                   .batteryState = UmberlinWire::BatteryState::unplugged,
                                                   .attitude = UmberlinWire::DeviceAttitude{0, 0, 0, 1},
                                                   .audioCaptureState = std::nullopt,
                                                   .audioInputName = std::nullopt};
        deliver(monitor, {jsonPacket(MessageType::cameraControlStatus, cameraControlStatus()),
                          jsonPacket(MessageType::status, telemetry)});
    }

    void deliver(MonitorWindow& monitor, std::initializer_list<UmberlinWire::Bytes> packets) {
        monitor.session.receiver.deliver(monitor.session.receiver.connections.latest(), joined(packets));
        settle();
    }

    fs::path makeFolder() {
        const fs::path folder = fs::path(workspace.path().toStdString()) / "Takes";
        fs::create_directories(folder);
        return folder;
    }

    QTemporaryDir workspace;
    QSettings defaults{workspace.filePath("defaults.ini"), QSettings::IniFormat};
    std::shared_ptr<FakeRecordingFolderPicker> picker = std::make_shared<FakeRecordingFolderPicker>();
    CaptureSessionRegistry registry{mainQueue->postToThisQueue()};
    std::vector<std::unique_ptr<MonitorWindow>> monitors;
};

TEST_F(ContentViewTest, TheControlBarHoldsEveryControlInOrderWithItsTexts) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    monitor.preferences.setShowsLevel(true);
    struct Control {
        QString name;
        QString help;
        QString hint;
    };
    const std::vector<Control> expected{
        {"Source", "Choose the camera source (Ctrl+1)", "Choose the camera source. Keyboard shortcut Ctrl+1."},
        {"Refresh", "Refresh available USB and Wi-Fi camera streams (Ctrl+R)",
         "Refresh available USB and Wi-Fi camera streams. Keyboard shortcut Ctrl+R."},
        {"H Mirror", "Flip the preview horizontally (M)", "Flip the preview horizontally. Keyboard shortcut M."},
        {"V Mirror", "Flip the preview vertically (Shift+M)",
         "Flip the preview vertically. Keyboard shortcut Shift+M."},
        {"Grid", "Show or hide the rule-of-thirds grid (G)",
         "Show or hide the rule-of-thirds grid. Keyboard shortcut G."},
        {"Level", "Show or hide the camera-level indicator (L)",
         "Show or hide the camera-level indicator. Keyboard shortcut L."},
        {"Set Level Reference", "Use the phone's current alignment as the level reference (Shift+L)",
         "Use the phone's current alignment as the level reference. Keyboard shortcut Shift+L."},
        {"VU", "Show or hide the phone audio level meter (V)",
         "Show or hide the phone audio level meter. Keyboard shortcut V."},
        {"Info", "Image settings require the current Umberlin Capture companion",
         "Show or hide the current camera image settings. Keyboard shortcut I."},
        {"Camera Controls", "Camera controls require the current Umberlin Capture companion",
         "Open the connected phone's focus and exposure controls."},
        {"Prompt", "Open the teleprompter script editor (P)",
         "Open the teleprompter script editor. Keyboard shortcut P."},
        {"Recording Folder", "Recording folder for Studio iPhone: No recording folder selected (Ctrl+Shift+O)",
         "Choose recording folder for studio iphone. Keyboard shortcut Ctrl+Shift+O."},
        {"Record to Computer", "Record phone video and audio to a QuickTime movie on this computer (Ctrl+Shift+R)",
         waitingHint},
    };

    QLayout* bar = monitor.view->controlBar().layout();
    std::vector<Control> shown;
    for (int index = 0; index < bar->count(); ++index) {
        QWidget* control = bar->itemAt(index)->widget();
        if (!control || control->accessibleName().isEmpty()) continue;
        EXPECT_TRUE(control->isVisible()) << control->accessibleName().toStdString();
        EXPECT_NE(control->focusPolicy() & Qt::TabFocus, 0) << control->accessibleName().toStdString();
        shown.push_back({control->accessibleName(), control->toolTip(), control->accessibleDescription()});
    }
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        EXPECT_EQ(shown[index].name, expected[index].name);
        EXPECT_EQ(shown[index].help, expected[index].help) << expected[index].name.toStdString();
        EXPECT_EQ(shown[index].hint, expected[index].hint) << expected[index].name.toStdString();
    }

    // With a camera status the two camera buttons describe what they do.
    deliverCameraStatusAndAttitude(monitor);
    EXPECT_EQ(monitor.button("Info")->toolTip(), "Show or hide focus, exposure, shutter, and ISO on the image (I)");
    EXPECT_EQ(monitor.button("Camera Controls")->toolTip(), "Adjust phone focus, exposure, shutter speed, and ISO");
    monitor.view->teleprompter().present("Good evening.");
    EXPECT_EQ(monitor.button("Prompt")->toolTip(), "Edit the visible teleprompter script (P)");
    EXPECT_EQ(monitor.button("Prompt")->accessibleDescription(),
              "Edit the visible teleprompter script. Keyboard shortcut P.");
}

TEST_F(ContentViewTest, WithoutPhonesThePickerSaysNoSourcesAndThePictureWaits) {
    MonitorWindow& monitor = openMonitorWindow();
    discover(monitor.session, {});

    SourcePicker& picker = monitor.view->controlBar().sourcePicker();
    EXPECT_FALSE(picker.isEnabled());
    EXPECT_EQ(picker.currentText(), "No sources");

    QWidget* emptyState = monitor.view->pictureArea().layer(PictureLayer::emptyState);
    EXPECT_TRUE(emptyState->isVisible());
    std::vector<QString> texts;
    for (auto* label : emptyState->findChildren<QLabel*>()) texts.push_back(label->text());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Waiting for a source"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), QString::fromStdString(monitor.controller().message())),
              texts.end());
    std::vector<QString> buttons;
    for (auto* button : emptyState->findChildren<QPushButton*>())
        if (button->isVisible()) buttons.push_back(button->text());
    EXPECT_EQ(buttons, std::vector<QString>{"Refresh Sources"}) << "no local network setting to offer";

    for (const char* disabled : {"Level", "Info", "Camera Controls", "Record to Computer"})
        EXPECT_FALSE(monitor.button(disabled)->isEnabled()) << disabled;
    EXPECT_TRUE(monitor.button("Recording Folder")->isEnabled());
    EXPECT_FALSE(monitor.button("Set Level Reference")->isVisible());
}

TEST_F(ContentViewTest, APhoneClaimedByAnotherWindowIsListedButCannotBeChosen) {
    MonitorWindow& first = openMonitorWindow();
    discover(first.session, {{"Studio", {wifiInterface()}}});
    MonitorWindow& second = openMonitorWindow();
    discover(second.session, {{"Studio", {wifiInterface()}}});

    SourcePicker& picker = second.view->controlBar().sourcePicker();
    ASSERT_EQ(picker.count(), 2);
    EXPECT_EQ(picker.itemText(1), "Studio \u2014 wireless camera");
    EXPECT_FALSE(qobject_cast<QStandardItemModel*>(picker.model())->item(1)->isEnabled());
    EXPECT_EQ(picker.currentText(), "No sources");

    // Once the first window lets go, the entry can be chosen (the second window takes it).
    registry.unregisterController(first.session.controller);
    settle();
    EXPECT_TRUE(qobject_cast<QStandardItemModel*>(picker.model())->item(1)->isEnabled());
    EXPECT_EQ(picker.currentText(), "Studio \u2014 wireless camera");
}

TEST_F(ContentViewTest, RecordWaitsForThePhonesAudio) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    ASSERT_TRUE(monitor.controller().isRunning());
    EXPECT_FALSE(monitor.view->pictureArea().layer(PictureLayer::emptyState)->isVisible());
    QToolButton* record = monitor.button("Record to Computer");
    EXPECT_FALSE(record->isEnabled());
    EXPECT_EQ(record->accessibleDescription(), waitingHint);

    deliverAudio(monitor);
    EXPECT_TRUE(record->isEnabled());
    EXPECT_EQ(record->accessibleDescription(), "Start recording. Keyboard shortcut Ctrl+Shift+R.");
}

TEST_F(ContentViewTest, EachShortcutTriggersItsAction) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    deliverAudio(monitor);
    deliverCameraStatusAndAttitude(monitor);
    monitor.destination.bind("source-1");
    picker->requests.clear();
    CaptureSessionController& controller = monitor.controller();
    DidaruzoriZeroroDidevuzadez& preferences = monitor.preferences;
    fs::path folder = makeFolder();
    const auto& connections = monitor.session.receiver.connections.created();

    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<bool()> done;
    };
    const Case cases[] = {
        {"H Mirror", Qt::Key_M, Qt::NoModifier,
         [&] { return preferences.isHorizontallyMirrored() && monitor.preview().isHorizontallyMirrored(); }},
        {"V Mirror", Qt::Key_M, Qt::ShiftModifier,
         [&] { return preferences.isVerticallyMirrored() && monitor.preview().isVerticallyMirrored(); }},
        {"Grid", Qt::Key_G, Qt::NoModifier, [&] { return !preferences.showsGrid(); }},
        {"Level", Qt::Key_L, Qt::NoModifier, [&] { return preferences.showsLevel(); }},
        {"Set Level Reference", Qt::Key_L, Qt::ShiftModifier, [&] { return controller.hasLevelReference(); }},
        {"VU", Qt::Key_V, Qt::NoModifier, [&] { return !preferences.showsAudioMeter(); }},
        {"Info", Qt::Key_I, Qt::NoModifier, [&] { return !preferences.showsImageSettings(); }},
        {"Recording Folder", Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier,
         [&] {
             if (picker->requests.size() != 1) return false;
             picker->answer(folder);
             return monitor.destination.directoryURL() == folder;
         }},
        {"Record", Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier,
         [&] { return controller.recordingState().kind() == Kind::waitingForKeyFrame; }},
        {"Stop", Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier,
         [&] { return controller.recordingState().kind() == Kind::idle; }},
        {"Refresh", Qt::Key_R, Qt::ControlModifier,
         [&, before = connections.size()] { return connections.size() == before + 1; }},
        {"Source", Qt::Key_1, Qt::ControlModifier,
         [&] {
             SourcePicker& picker = monitor.view->controlBar().sourcePicker();
             const bool open = picker.view()->isVisible();
             picker.hidePopup();
             return open;
         }},
        // Last: the editor's sheet takes the keys from the window.
        {"Prompt", Qt::Key_P, Qt::NoModifier, [&] { return monitor.view->isEditingTeleprompter(); }},
    };
    for (const Case& test : cases) {
        QTest::keyClick(monitor.view.get(), test.key, test.modifiers);
        settle();
        EXPECT_TRUE(test.done()) << test.name;
    }
}

TEST_F(ContentViewTest, RecordAsksForAFolderFirstThenRecordsTurnedAsShown) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio(hello(30), 90);
    deliverAudio(monitor);
    QToolButton* record = monitor.button("Record to Computer");

    record->click();
    ASSERT_EQ(picker->requests.size(), 1u);
    EXPECT_EQ(monitor.controller().recordingState().kind(), Kind::idle) << "nothing starts before a folder";
    const fs::path folder = makeFolder();
    picker->answer(folder);
    settle();
    ASSERT_EQ(monitor.controller().recordingState().kind(), Kind::waitingForKeyFrame);
    EXPECT_EQ(monitor.controller().recordingState().movie().parent_path(), folder);
    EXPECT_EQ(record->text(), "Stop Recording");
    EXPECT_EQ(record->accessibleDescription(), "Stop recording. Keyboard shortcut Ctrl+Shift+R.");
    EXPECT_FALSE(monitor.button("Recording Folder")->isEnabled());

    deliverKeyFrame(monitor.session, 2'000'000'000);
    ASSERT_EQ(monitor.controller().recordingState().kind(), Kind::recording);
    const UmberlinPlatform::AffineTransform quarterTurn =
        monitor.session.writers.writers.back()->videoSettings->transform;
    EXPECT_EQ(quarterTurn.a, 0) << "the movie is turned a quarter, as the picture is shown";

    record->click();
    settle();
    EXPECT_EQ(monitor.controller().recordingState().kind(), Kind::finishing);
    EXPECT_EQ(record->text(), "Saving");
    EXPECT_FALSE(record->isEnabled());

    // The finished movie can be shown in the file manager (its folder, without a session bus).
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    UrlCatcher fileManager;
    QDesktopServices::setUrlHandler("file", &fileManager, "open");
    monitor.session.writers.writers.back()->completeFinishing();
    settle();
    QTest::keyClick(monitor.view.get(), Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(fileManager.opened.size(), 1u);
    EXPECT_EQ(fs::path(fileManager.opened.front().toLocalFile().toStdString()), folder);
}

TEST_F(ContentViewTest, AlertsShowProblemsAndDismissingOneClearsIt) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    deliverAudio(monitor);
    RecordingFlow& flow = monitor.view->recordingFlow();

    monitor.destination.nextRecordingURL(QDateTime::currentDateTime());  // no folder yet
    QMessageBox* folderAlert = flow.recordingFolderAlert();
    ASSERT_NE(folderAlert, nullptr);
    EXPECT_TRUE(folderAlert->isVisible());
    EXPECT_EQ(folderAlert->windowTitle(), "Recording Folder");
    EXPECT_EQ(folderAlert->text(), "Choose a recording folder before starting a recording.");
    EXPECT_EQ(folderAlert->windowModality(), Qt::WindowModal);
    folderAlert->button(QMessageBox::Ok)->click();
    EXPECT_FALSE(monitor.destination.errorMessage());

    monitor.session.writers.prepareNext = [](QuillfenTests::FakeMovieWriter& writer) { writer.startFails = true; };
    monitor.controller().startRecording(makeFolder() / "take.mov", 0);
    deliverKeyFrame(monitor.session, 2'000'000'000);
    ASSERT_EQ(monitor.controller().recordingState().kind(), Kind::failed);
    QMessageBox* failedAlert = flow.recordingFailedAlert();
    ASSERT_NE(failedAlert, nullptr);
    EXPECT_EQ(failedAlert->windowTitle(), "Recording Failed");
    EXPECT_EQ(failedAlert->text().toStdString(), *monitor.controller().recordingErrorMessage());

    failedAlert->button(QMessageBox::Ok)->click();
    settle();
    EXPECT_FALSE(monitor.controller().recordingErrorMessage());
    EXPECT_EQ(monitor.controller().recordingState().kind(), Kind::idle) << "the recorder's failure is reset";
    EXPECT_TRUE(monitor.button("Record to Computer")->isEnabled());
}

TEST_F(ContentViewTest, ThePictureIsShownTurnedWithTheMatchingAspectRatio) {
    UmberlinWire::Hello announced = hello(30);
    announced.width = 1920;
    announced.height = 1080;
    MonitorWindow& monitor = openLiveWindowWithoutAudio(announced);
    for (const auto& [rotation, ratio] : std::vector<std::pair<std::int64_t, double>>{
             {0, 1920.0 / 1080}, {90, 1080.0 / 1920}, {180, 1920.0 / 1080}, {-90, 1080.0 / 1920}}) {
        deliver(monitor, {jsonPacket(MessageType::videoOrientation, UmberlinWire::VideoOrientation{rotation})});
        EXPECT_EQ(monitor.view->displayedVideoAspectRatio(), ratio) << rotation;
        EXPECT_EQ(rawValue(monitor.preview().rotation()), (rotation + 360) % 360);
    }

    monitor.session.receiver.connections.latest().reportState(
        UmberlinPlatform::ConnectionState::failed({.code = 0, .localizedDescription = "Gone."}));
    settle();
    EXPECT_FALSE(monitor.view->displayedVideoAspectRatio()) << "no size, no ratio";
}

TEST_F(ContentViewTest, TheRecordingFolderFollowsTheConnectedPhone) {
    UmberlinWire::Hello announced = hello(30);
    announced.deviceName = "<b>Studio</b> <img src=x>";
    MonitorWindow& monitor = openLiveWindowWithoutAudio(announced);
    EXPECT_EQ(monitor.destination.boundSourceID(), "source-1");
    // The phone's name is shown as it came, not read as markup.
    const QString toolTip = monitor.button("Recording Folder")->toolTip();
    EXPECT_TRUE(QTextDocumentFragment::fromHtml(toolTip).toPlainText().startsWith(
        "Recording folder for <b>Studio</b> <img src=x>: "))
        << toolTip.toStdString();

    monitor.session.receiver.connections.latest().reportState(
        UmberlinPlatform::ConnectionState::failed({.code = 0, .localizedDescription = "Gone."}));
    settle();
    EXPECT_FALSE(monitor.destination.boundSourceID());
    EXPECT_EQ(monitor.destination.assignmentDescription(), "Default recording folder");
}

TEST_F(ContentViewTest, TheScriptEditorShowsTheDraftOrKeepsTheOldScript) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    TeleprompterController& teleprompter = monitor.view->teleprompter();
    const auto edit = [&] {
        monitor.view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(monitor.view.get()));
        QTest::keyClick(monitor.view.get(), Qt::Key_P);
        TeleprompterEditor* editor = monitor.view->teleprompterEditor();
        EXPECT_TRUE(editor && editor->isVisible() && editor->windowModality() == Qt::WindowModal);
        EXPECT_TRUE(QTest::qWaitForWindowActive(editor));
        return editor;
    };

    // The offscreen platform delivers no shortcuts to a window with a parent, so the sheet's
    // buttons are pressed here; the sandbox test presses their keys.
    const auto press = [](TeleprompterEditor* editor, const QString& name) {
        for (auto* button : editor->findChildren<QPushButton*>())
            if (button->accessibleName() == name) return button->click();
        ADD_FAILURE() << "no button " << name.toStdString();
    };

    TeleprompterEditor* editor = edit();
    QTest::keyClicks(&editor->textEditor(), "Good evening.");
    press(editor, "Show Prompt");
    settle();
    EXPECT_FALSE(monitor.view->isEditingTeleprompter());
    EXPECT_EQ(teleprompter.script(), "Good evening.");
    EXPECT_TRUE(monitor.view->pictureArea().layer(PictureLayer::teleprompter)->isVisible());

    editor = edit();
    EXPECT_EQ(editor->textEditor().toPlainText(), "Good evening.");
    press(editor, "Clear");
    EXPECT_EQ(monitor.view->teleprompterDraft(), "");
    press(editor, "Cancel");
    settle();
    EXPECT_FALSE(monitor.view->isEditingTeleprompter());
    EXPECT_EQ(teleprompter.script(), "Good evening.") << "cancelling keeps the old script";
}

TEST_F(ContentViewTest, ThePromptsKeysNeedNoModifierAndTheArrowsStepOnlyInThisWindow) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    TeleprompterController& teleprompter = monitor.view->teleprompter();
    QStringList lines;
    for (int line = 1; line <= 80; ++line) lines << QString("Line %1 of the script.").arg(line);
    teleprompter.present(lines.join('\n'));
    settle();
    auto& overlay = static_cast<TeleprompterOverlay&>(*monitor.view->pictureArea().layer(PictureLayer::teleprompter));
    const auto offset = [&] { return teleprompter.scrollPosition().offset(); };
    ASSERT_GT(teleprompter.scrollPosition().maximumOffset(), 300);

    struct Step {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::function<bool(double before)> expected;
    };
    const auto unmoved = [&](double before) { return offset() == before; };
    const Step steps[] = {
        {"Shift-Space", Qt::Key_Space, Qt::ShiftModifier, [&](double) { return !teleprompter.isRolling(); }},
        {"Space rolls", Qt::Key_Space, Qt::NoModifier, [&](double) { return teleprompter.isRolling(); }},
        {"Down pauses and steps", Qt::Key_Down, Qt::NoModifier,
         [&](double before) { return !teleprompter.isRolling() && offset() == before + 72; }},
        {"Ctrl-Down", Qt::Key_Down, Qt::ControlModifier, unmoved},
        {"Alt-Up", Qt::Key_Up, Qt::AltModifier, unmoved},
        {"Shift-Home", Qt::Key_Home, Qt::ShiftModifier, unmoved},
        {"Home", Qt::Key_Home, Qt::NoModifier, [&](double) { return offset() == 0; }},
        {"Shift-Down steps", Qt::Key_Down, Qt::ShiftModifier, [&](double) { return offset() == 72; }},
        {"Up steps back", Qt::Key_Up, Qt::NoModifier, [&](double) { return offset() == 0; }},
        {"Shift-E", Qt::Key_E, Qt::ShiftModifier, [&](double) { return !monitor.view->isEditingTeleprompter(); }},
        {"Shift-A", Qt::Key_A, Qt::ShiftModifier,
         [&](double) { return !overlay.controls().appearanceButton().popover().isVisible(); }},
        {"A", Qt::Key_A, Qt::NoModifier,
         [&](double) {
             auto& popover = overlay.controls().appearanceButton().popover();
             const bool shown = popover.isVisible();
             popover.hide();
             monitor.view->activateWindow();
             return shown && QTest::qWaitForWindowActive(monitor.view.get());
         }},
        {"Escape hides", Qt::Key_Escape, Qt::NoModifier,
         [&](double) { return !teleprompter.isVisible() && !overlay.isVisible(); }},
        {"Down while hidden", Qt::Key_Down, Qt::NoModifier, unmoved},
    };
    for (const Step& step : steps) {
        const double before = offset();
        QTest::keyClick(monitor.view.get(), step.key, step.modifiers);
        settle();
        EXPECT_TRUE(step.expected(before)) << step.name << " at offset " << offset();
    }

    // In the editor's sheet the arrows move the caret, not the prompt.
    teleprompter.present(lines.join('\n') + "\n");
    QTest::keyClick(monitor.view.get(), Qt::Key_E);
    ASSERT_TRUE(monitor.view->teleprompterEditor());
    QTest::keyClick(&monitor.view->teleprompterEditor()->textEditor(), Qt::Key_Down);
    EXPECT_EQ(offset(), 0);
}

TEST_F(ContentViewTest, GuidesShowWhileLiveWithSomethingToDrawAndAClickRefocusesWhereThePictureIs) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    auto& guides = static_cast<CameraGuidesOverlay&>(*monitor.view->pictureArea().layer(PictureLayer::guides));
    QWidget& focusLayer = *monitor.view->pictureArea().layer(PictureLayer::focus);
    EXPECT_TRUE(guides.isShown()) << "the grid is on by default";
    monitor.preferences.setShowsGrid(false);
    monitor.preferences.setShowsAudioMeter(false);
    EXPECT_FALSE(guides.isShown()) << "nothing to draw";
    EXPECT_FALSE(focusLayer.isVisible()) << "no camera status yet";

    deliverCameraStatusAndAttitude(monitor);  // with the battery at 50 %
    EXPECT_TRUE(guides.isShown());
    ASSERT_TRUE(focusLayer.isVisible());

    // A click a quarter into the mirrored picture focuses three quarters into the phone's.
    monitor.preferences.setHorizontallyMirrored(true);
    const QRectF picture =
        CameraGuideGeometry::fittedVideoFrame(focusLayer.size(), monitor.view->displayedVideoAspectRatio());
    QTest::mouseClick(&focusLayer, Qt::LeftButton, {},
                      QPointF(picture.left() + picture.width() / 4, picture.center().y()).toPoint());
    settle();
    const auto sent = cameraCommandsSent(monitor.session.receiver.connections.latest());
    ASSERT_FALSE(sent.empty());
    EXPECT_NEAR(sent.back().focusPointX.value_or(-1), 0.75, 0.01);
    EXPECT_NEAR(sent.back().focusPointY.value_or(-1), 0.5, 0.01);
    EXPECT_TRUE(focusLayer.findChild<FocusReticle*>()->isVisible()) << "the reticle marks the click";

    monitor.session.receiver.connections.latest().reportState(
        UmberlinPlatform::ConnectionState::failed({.code = 0, .localizedDescription = "Gone."}));
    settle();
    EXPECT_FALSE(guides.isShown());
    EXPECT_FALSE(focusLayer.isVisible());
}

TEST_F(ContentViewTest, ScopesShowWhileLiveStackedInThePicturesTopTrailingCorner) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    VideoScopePanel& scopes = monitor.view->scopes();
    EXPECT_FALSE(scopes.isVisible()) << "off by default";
    monitor.preferences.setShowsHistogram(true);
    ASSERT_TRUE(scopes.isVisible());
    const int oneScope = scopes.platesRect().height();
    monitor.preferences.setShowsWaveform(true);
    EXPECT_GT(scopes.platesRect().height(), oneScope) << "stacked";
    EXPECT_EQ(scopes.accessibleName(), "Histogram and Waveform");
    const QRect picture =
        CameraGuideGeometry::fittedVideoFrame(scopes.size(), monitor.view->displayedVideoAspectRatio()).toRect();
    EXPECT_TRUE(picture.contains(scopes.platesRect())) << "inside the picture, clear of the letterbox";
    EXPECT_NEAR(picture.right() - scopes.platesRect().right(), VideoScopePanel::edgeInset, 1);
    scopes.setVideoAspectRatio(9.0 / 16.0);  // a phone held upright: the bar beside it has room
    const QRect upright = CameraGuideGeometry::fittedVideoFrame(scopes.size(), 9.0 / 16.0).toRect();
    EXPECT_GT(scopes.platesRect().left(), upright.right()) << "in the bar, off the picture";
    EXPECT_TRUE(scopes.rect().contains(scopes.platesRect()));

    monitor.session.receiver.connections.latest().reportState(
        UmberlinPlatform::ConnectionState::failed({.code = 0, .localizedDescription = "Gone."}));
    settle();
    EXPECT_FALSE(scopes.isVisible());
}

TEST_F(ContentViewTest, CameraControlsOpenBelowTheirButtonAndClosingResetsTheButton) {
    MonitorWindow& monitor = openLiveWindowWithoutAudio();
    deliverCameraStatusAndAttitude(monitor);
    monitor.button("Camera Controls")->click();
    ASSERT_TRUE(monitor.view->isShowingCameraControls());
    CameraControls* panel = monitor.view->cameraControls();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(monitor.button("Camera Controls")->property("prominent"), true);

    panel->close();  // as a click elsewhere does
    EXPECT_FALSE(monitor.view->isShowingCameraControls());
    EXPECT_EQ(monitor.button("Camera Controls")->property("prominent"), false);
}

}  // namespace
}  // namespace Quillfen::Testing

#include "ContentViewTests.moc"
