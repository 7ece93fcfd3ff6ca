#include "Shell/QuillfenApp.hpp"

#include <QPointer>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "Session/AppIdentity.hpp"
#include "Session/PlatformWords.hpp"
#include "Shell/AppResources.hpp"
#include "Shell/MonitorWindow.hpp"
#include "Shell/QtRecordingFolderPicker.hpp"
#include "Shell/RazozoroviRidoraRezi.hpp"
#include "Shell/RecordingSettingsView.hpp"
#include "Shell/UserManualView.hpp"

namespace Quillfen {
namespace {

// A top-level window holding `content`, deleted when closed.
QWidget* makeWindow(QWidget* content, const QString& title) {
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    content->setParent(window);
    layout->addWidget(content);
    return window;
}

void bringForward(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

QuillfenApp::QuillfenApp(QSettings& defaults, SessionPartsFactory makeSessionParts, QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      makeSessionParts_(std::move(makeSessionParts)),
      sessionRegistry_(qtPostToMain()),
      defaultRecordingDestination_(
          std::make_unique<RecordingDestinationStore>(defaults, std::make_shared<QtRecordingFolderPicker>())) {
    commands_.newWindow = addCommand(QStringLiteral("New Window"), QKeySequence::New, [this] { openMonitorWindow(); });
    commands_.quit = addCommand(QStringLiteral("Quit"), QKeySequence::Quit, [this] { requestQuit(); });
    commands_.quit->setMenuRole(QAction::QuitRole);
    // Ctrl+Comma, and Command-Comma on macOS, where Qt reads Ctrl as Command.
    commands_.settings = addCommand(QString::fromUtf8(platformWords().settingsMenuItem),
                                    QKeySequence(Qt::CTRL | Qt::Key_Comma), [this] { showSettings(); });
    commands_.settings->setMenuRole(QAction::PreferencesRole);
    commands_.userManual = addCommand(QString::fromUtf8(userManualTitle),
                                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Slash), [this] { showUserManual(); });
}

QAction* QuillfenApp::addCommand(const QString& title, const QKeySequence& shortcut, std::function<void()> run) {
    auto* action = new QAction(title, this);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, this, std::move(run));
    return action;
}

QuillfenApp::~QuillfenApp() {
    // Windows first: their contents observe the registry and the default folder.
    for (const auto& window : monitorWindows_) delete window.data();
    delete settingsWindow_.data();
    delete userManualWindow_.data();
}

std::vector<MonitorWindow*> QuillfenApp::monitorWindows() const {
    std::vector<MonitorWindow*> open;
    for (const auto& window : monitorWindows_)
        if (window) open.push_back(window.data());
    return open;
}

MonitorWindow* QuillfenApp::openMonitorWindow() {
    std::erase_if(monitorWindows_, [](const QPointer<MonitorWindow>& window) { return window.isNull(); });
    auto* window = new MonitorWindow(
        *this, MonitorWindowServices{sessionRegistry_, *defaultRecordingDestination_, defaults_, makeSessionParts_});
    monitorWindows_.emplace_back(window);
    if (pendingRecovery_) {
        window->root().controller().showRecoveredRecordings(*pendingRecovery_);
        pendingRecovery_.reset();
    }
    window->show();
    return window;
}

void QuillfenApp::recoverInterruptedRecordings() {
    const std::vector<std::filesystem::path> folders = RecordingDestinationStore::knownRecordingFolders(defaults_);
    if (folders.empty()) return;
    // Rewriting a long movie takes a while: the windows stay live meanwhile.
    QThreadPool::globalInstance()->start([folders, application = QPointer(this), postToMain = qtPostToMain()] {
        const auto found = Quillfen::recoverInterruptedRecordings(folders, UmberlinPlatform::recoverInterruptedMovie);
        const auto summary = summarizeRecovery(found);
        if (!summary) return;
        postToMain([application, summary = *summary] {
            if (!application) return;
            const auto windows = application->monitorWindows();
            if (windows.empty())
                application->pendingRecovery_ = summary;
            else
                windows.front()->root().controller().showRecoveredRecordings(summary);
        });
    });
}

void QuillfenApp::showSettings() {
    if (!settingsWindow_) {
        settingsWindow_ = makeWindow(new RecordingSettingsView(sessionRegistry_, *defaultRecordingDestination_),
                                     QString::fromUtf8(platformWords().settingsWindowTitle));
        settingsWindow_->resize(RecordingSettingsView::preferredWidth, RecordingSettingsView::preferredHeight);
    }
    bringForward(settingsWindow_);
}

void QuillfenApp::showUserManual() {
    if (!userManualWindow_) {
        userManualWindow_ =
            makeWindow(new UserManualView(AppResources::userManualURL()), QString::fromUtf8(userManualTitle));
        userManualWindow_->setObjectName("user-manual");
        userManualWindow_->resize(userManualWidth, userManualHeight);
    }
    bringForward(userManualWindow_);
}

void QuillfenApp::requestQuit() {
    if (isQuitting_) return;
    isQuitting_ = true;
    if (!sessionRegistry_.requiresRecordingFinalization()) return terminationApproved();
    sessionRegistry_.stopAll([this] { emit terminationApproved(); });
}

}  // namespace Quillfen
