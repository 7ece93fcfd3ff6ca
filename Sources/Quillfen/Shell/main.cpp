// umberlin-rezuvidodo: the desktop camera monitor.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QSettings>

#include "Log/DiagnosticLog.hpp"
#include "Session/AppIdentity.hpp"
#include "Session/CaptureSessionParts.hpp"
#include "Session/StopSignalNotifier.hpp"
#include "Shell/DarkAppearance.hpp"
#include "Shell/MonitorWindow.hpp"
#include "Shell/QuillfenApp.hpp"
#include "Shell/SingleInstance.hpp"

namespace {

// Reads the command line (--help and --version print and end the process here), then hands
// the launch to a running instance when there is one. True when the launch has been handed over.
bool handedToRunningInstance(int& argc, char** argv) {
    QCoreApplication launcher(argc, argv);
    Quillfen::applyApplicationIdentity();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Monitor, record and control the camera of a phone running Umberlin Capture.\n"
                       "A launch while the monitor runs opens a new window in the running monitor."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("new-window"), QStringLiteral("Open a new monitor window (the default).")});
    parser.process(launcher);

    using Quillfen::SingleInstance;
    switch (SingleInstance::handOver(SingleInstance::socketPath(), SingleInstance::newWindowRequest)) {
        case SingleInstance::HandOver::done:
            return true;
        case SingleInstance::HandOver::noAnswer:
            UmberlinPlatform::logLine("[Umberlin app] The running Umberlin Rezuvidodo did not answer within " +
                                      std::to_string(SingleInstance::answerTimeout.count()) +
                                      " ms; starting a separate one.");
            return false;
        case SingleInstance::HandOver::nobodyListening:
            return false;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (handedToRunningInstance(argc, argv)) return 0;

    QApplication application(argc, argv);
    Quillfen::applyApplicationIdentity();
    QGuiApplication::setDesktopFileName(QString::fromUtf8(Quillfen::applicationID));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromUtf8(Quillfen::applicationID)));
    Quillfen::applyDarkAppearance();
    // Quitting goes through the application, which waits for movies being finalised.
    QApplication::setQuitOnLastWindowClosed(false);

    QSettings defaults;
    Quillfen::RecordingDestinationStore::storeFirstDefaultFolder(defaults);
    Quillfen::QuillfenApp app(defaults, [postToMain = Quillfen::qtPostToMain()](auto renderer) {
        return Quillfen::makeSystemCaptureSessionParts(std::move(renderer), postToMain);
    });
    QObject::connect(&app, &Quillfen::QuillfenApp::terminationApproved, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, &app, &Quillfen::QuillfenApp::requestQuit);
    Quillfen::StopSignalNotifier stopSignals;
    QObject::connect(&stopSignals, &Quillfen::StopSignalNotifier::stopRequested, &app,
                     &Quillfen::QuillfenApp::requestQuit);

    Quillfen::SingleInstance instance;
    QString why;
    if (!instance.listen(Quillfen::SingleInstance::socketPath(), why))
        UmberlinPlatform::logLine("[Umberlin app] Later launches will start on their own: " + why.toStdString());
    QObject::connect(&instance, &Quillfen::SingleInstance::newWindowRequested, &app, [&app] {
        if (app.isQuitting()) return;
        Quillfen::MonitorWindow* window = app.openMonitorWindow();
        window->raise();
        window->activateWindow();
    });

    app.openMonitorWindow();
    app.recoverInterruptedRecordings();
    return application.exec();
}
