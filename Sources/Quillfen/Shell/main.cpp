// umberlin-rezuvidodo: the desktop camera monitor.

#include <QApplication>
#include <QSettings>

#include "Session/AppIdentity.hpp"
#include "Session/CaptureSessionParts.hpp"
#include "Session/StopSignalNotifier.hpp"
#include "Shell/DarkAppearance.hpp"
#include "Shell/QuillfenApp.hpp"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Quillfen::applyApplicationIdentity();
    Quillfen::applyDarkAppearance();
    // Quitting goes through the application, which waits for movies being finalised.
    QApplication::setQuitOnLastWindowClosed(false);

    QSettings defaults;
    Quillfen::QuillfenApp app(defaults, [postToMain = Quillfen::qtPostToMain()](auto renderer) {
        return Quillfen::makeSystemCaptureSessionParts(std::move(renderer), postToMain);
    });
    QObject::connect(&app, &Quillfen::QuillfenApp::terminationApproved, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, &app, &Quillfen::QuillfenApp::requestQuit);
    Quillfen::StopSignalNotifier stopSignals;
    QObject::connect(&stopSignals, &Quillfen::StopSignalNotifier::stopRequested, &app,
                     &Quillfen::QuillfenApp::requestQuit);
    app.openMonitorWindow();
    return application.exec();
}
