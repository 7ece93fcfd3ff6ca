#include "Shell/MonitorWindow.hpp"

#include <QCloseEvent>
#include <QMenuBar>

#include "Session/PlatformWords.hpp"
#include "Shell/QuillfenApp.hpp"
#include "Shell/RazozoroviRidoraRezi.hpp"

namespace Quillfen {

MonitorWindow::MonitorWindow(QuillfenApp& application, const MonitorWindowServices& services)
    : application_(application), root_(new RazozoroviRidoraRezi(services, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(title));
    setCentralWidget(root_);
    addMenus(application);
    resize(defaultWidth, defaultHeight);
}

void MonitorWindow::addMenus(QuillfenApp& application) {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* newWindow = file->addAction(QStringLiteral("New Window"), &application, &QuillfenApp::openMonitorWindow);
    newWindow->setShortcut(QKeySequence::New);
    QAction* closeWindow = file->addAction(QStringLiteral("Close Window"), this, &QWidget::close);
    closeWindow->setShortcut(QKeySequence::Close);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("Quit"), &application, &QuillfenApp::requestQuit);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* settings =
        edit->addAction(QString::fromUtf8(platformWords().settingsMenuItem), &application, &QuillfenApp::showSettings);
    // Ctrl+Comma here, Command-Comma on macOS (Qt reads Ctrl as Command there).
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setMenuRole(QAction::PreferencesRole);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* manual =
        help->addAction(QString::fromUtf8(QuillfenApp::userManualTitle), &application, &QuillfenApp::showUserManual);
    manual->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Slash));
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    // Quitting closes every window; handing their phones to each other on the way out would
    // only connect them for a moment.
    if (event->isAccepted() && !application_.isQuitting()) root_->windowWillClose();
}

}  // namespace Quillfen
