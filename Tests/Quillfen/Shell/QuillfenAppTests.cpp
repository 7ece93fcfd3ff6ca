// The application with windows whose sessions talk to fake phones on manually run queues.

#include "Shell/QuillfenApp.hpp"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "Reception/NetworkCameraReceiverHarness.hpp"
#include "Session/AppIdentity.hpp"
#include "Shell/MonitorWindow.hpp"
#include "Shell/RazozoroviRidoraRezi.hpp"
#include "Shell/RecordingSettingsView.hpp"
#include "Shell/UserManualView.hpp"
#include "Support/FakeMovieWriter.hpp"

namespace Quillfen {
namespace {

using Kind = NetworkVideoRecorder::State::Kind;

// One window's receiver and recorder.
struct FakeSession {
    Testing::ReceiverHarness receiver;
    std::shared_ptr<UmberlinPlatform::ManualSerialQueue> recorderQueue =
        std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.video-recorder");
    QuillfenTests::FakeMovieWriterFactory writers;
    std::shared_ptr<NetworkVideoRecorder> recorder = NetworkVideoRecorder::make({recorderQueue, writers.factory()});
};

class QuillfenAppTest : public testing::Test {
protected:
    // Runs Qt's posted events and every session's queues until nothing is left to do.
    void settle() {
        for (std::size_t ran = 1; ran > 0;) {
            QCoreApplication::sendPostedEvents();
            ran = 0;
            for (const auto& session : sessions)
                ran += session->receiver.queue->runAllReady() + session->recorderQueue->runAllReady();
        }
        QCoreApplication::sendPostedEvents();
    }

    // A window armed to record (waiting for its first key frame).
    MonitorWindow& openArmedWindow() {
        MonitorWindow& window = *app.openMonitorWindow();
        settle();
        window.root().controller().streamRecorder().prepare(moviesFolder.filePath("take.mov").toStdString(), 0);
        settle();
        EXPECT_EQ(window.root().controller().recordingState().kind(), Kind::waitingForKeyFrame);
        return window;
    }

    QTemporaryDir moviesFolder;
    QTemporaryDir settingsFolder;
    QSettings defaults{settingsFolder.filePath("defaults.ini"), QSettings::IniFormat};
    std::vector<std::unique_ptr<FakeSession>> sessions;
    QuillfenApp app{defaults, [this](std::shared_ptr<NetworkVideoRenderer> renderer) {
                        auto& session = *sessions.emplace_back(std::make_unique<FakeSession>());
                        return CaptureSessionControllerParts{.receiver = session.receiver.receiver,
                                                             .renderer = std::move(renderer),
                                                             .recorder = session.recorder,
                                                             .postToMain = qtPostToMain()};
                    }};
};

TEST_F(QuillfenAppTest, EachWindowHasItsOwnSessionAndClosingOneLeavesTheOtherRunning) {
    QPointer<MonitorWindow> first = app.openMonitorWindow();
    MonitorWindow& second = *app.openMonitorWindow();
    settle();

    ASSERT_EQ(sessions.size(), 2u);
    EXPECT_EQ(app.sessionRegistry().controllerCount(), 2u);
    EXPECT_NE(&first->root().controller(), &second.root().controller());
    EXPECT_NE(&first->root().preferences(), &second.root().preferences());
    EXPECT_NE(&first->root().recordingDestination(), &second.root().recordingDestination());
    for (const auto& session : sessions) EXPECT_TRUE(session->receiver.browsers.latest().isStarted());

    first->close();
    settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(app.sessionRegistry().controllerCount(), 1u);
    EXPECT_EQ(app.monitorWindows(), std::vector<MonitorWindow*>{&second});
    EXPECT_TRUE(second.isVisible());
    EXPECT_FALSE(sessions[1]->receiver.browsers.latest().isCancelled());
}

struct QuitCase {
    const char* situation;
    bool armed;
    bool closedBeforeQuitting;
};

class QuillfenAppQuitTest : public QuillfenAppTest, public testing::WithParamInterface<QuitCase> {};

TEST_P(QuillfenAppQuitTest, WaitsOnlyWhileAMovieIsArmedRecordingOrFinishing) {
    MonitorWindow& window = GetParam().armed ? openArmedWindow() : *app.openMonitorWindow();
    settle();
    if (GetParam().closedBeforeQuitting) window.close();
    QSignalSpy approved(&app, &QuillfenApp::terminationApproved);

    app.requestQuit();
    EXPECT_EQ(approved.count(), GetParam().armed ? 0 : 1);
    app.requestQuit();  // asked again while waiting
    settle();
    EXPECT_EQ(approved.count(), 1);
    if (GetParam().armed) {
        EXPECT_FALSE(app.sessionRegistry().requiresRecordingFinalization());
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, QuillfenAppQuitTest,
                         testing::Values(QuitCase{"idle", false, false}, QuitCase{"armed", true, false},
                                         QuitCase{"armedAndClosed", true, true}),
                         [](const auto& info) { return std::string(info.param.situation); });

TEST_F(QuillfenAppTest, TheManualShortcutOpensOneManualWindowAndBringsItForward) {
    MonitorWindow& window = *app.openMonitorWindow();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&window, Qt::Key_Slash, Qt::ControlModifier | Qt::ShiftModifier);
    QPointer<QWidget> manual = app.userManualWindow();
    ASSERT_FALSE(manual.isNull());
    EXPECT_TRUE(manual->isVisible());
    EXPECT_EQ(manual->windowTitle(), "Umberlin Rezuvidodo User Manual");
    const auto* view = manual->findChild<UserManualView*>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->currentPage(), QUrl("qrc:/UserManual/index.html"));

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Slash, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(app.userManualWindow(), manual.data());
    EXPECT_TRUE(QTest::qWaitForWindowActive(manual.data()));
}

TEST_F(QuillfenAppTest, TheDefaultFolderCannotBeChosenWhileAWindowIsArmed) {
    openArmedWindow();
    app.showSettings();
    auto* choose = app.settingsWindow()->findChild<QPushButton*>("chooseDefaultRecordingFolder");
    ASSERT_NE(choose, nullptr);
    EXPECT_FALSE(choose->isEnabled());

    app.monitorWindows().front()->root().controller().stopRecording();
    settle();
    EXPECT_TRUE(choose->isEnabled());
}

}  // namespace
}  // namespace Quillfen
