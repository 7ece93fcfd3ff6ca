#pragma once
// The application: any number of monitor windows (one opens at start), the Settings window
// with the default recording folder, the manual window, and quitting only once every movie
// being written has been finalised.
//
// Main thread only.

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Recording/InterruptedRecordingRecovery.hpp"
#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionRegistry.hpp"
#include "Shell/MonitorWindowServices.hpp"

namespace Quillfen {

class MonitorWindow;

class QuillfenApp : public QObject {
    Q_OBJECT

public:
    static constexpr const char* userManualTitle = "Umberlin Rezuvidodo User Manual";
    static constexpr int userManualWidth = 1120;
    static constexpr int userManualHeight = 760;

    // `defaults` (the application's settings) must outlive the application. Opens no window yet.
    QuillfenApp(QSettings& defaults, SessionPartsFactory makeSessionParts, QObject* parent = nullptr);
    ~QuillfenApp() override;

    // The application's menu commands, shared by every monitor window's menus: their
    // shortcuts work in any of the application's windows, the manual's and the Settings too.
    struct Commands {
        QAction* newWindow;
        QAction* quit;
        QAction* settings;
        QAction* userManual;
    };
    const Commands& commands() const { return commands_; }

    CaptureSessionRegistry& sessionRegistry() { return sessionRegistry_; }
    RecordingDestinationStore& defaultRecordingDestination() { return *defaultRecordingDestination_; }
    // The open monitor windows, oldest first.
    std::vector<MonitorWindow*> monitorWindows() const;
    // The manual window, when it is open.
    QWidget* userManualWindow() const { return userManualWindow_; }
    QWidget* settingsWindow() const { return settingsWindow_; }
    // Quitting was asked for (and may be waiting for movies to be finalised).
    bool isQuitting() const { return isQuitting_; }

public slots:
    MonitorWindow* openMonitorWindow();
    // Opens the Settings window, or brings it forward.
    void showSettings();
    // Opens the manual window, or brings it forward.
    void showUserManual();
    // Searches every known recording folder for movies a crash left unfinished and rewrites them,
    // on a worker thread; the first monitor window shows what was found.
    void recoverInterruptedRecordings();
    // Quits at once when no window is armed, recording or finalising; otherwise stops every
    // session and quits once every recorder has come to rest.
    void requestQuit();

signals:
    // The application may end now (the event loop should quit).
    void terminationApproved();

private:
    QAction* addCommand(const QString& title, const QKeySequence& shortcut, std::function<void()> run);

    QSettings& defaults_;
    SessionPartsFactory makeSessionParts_;
    CaptureSessionRegistry sessionRegistry_;
    std::unique_ptr<RecordingDestinationStore> defaultRecordingDestination_;
    std::vector<QPointer<MonitorWindow>> monitorWindows_;
    QPointer<QWidget> settingsWindow_;
    QPointer<QWidget> userManualWindow_;
    Commands commands_;
    bool isQuitting_ = false;
    // Found before any monitor window was open; the next one to open shows it.
    std::optional<RecoverySummary> pendingRecovery_;
};

}  // namespace Quillfen
