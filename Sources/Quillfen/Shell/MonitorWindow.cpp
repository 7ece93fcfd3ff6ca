#include "Shell/MonitorWindow.hpp"

#include <QCloseEvent>
#include <QMenuBar>

#include "Shell/QuillfenApp.hpp"
#include "Shell/RazozoroviRidoraRezi.hpp"
#include "Shell/ViewMenu.hpp"

namespace Quillfen {

MonitorWindow::MonitorWindow(QuillfenApp& application, const MonitorWindowServices& services)
    : application_(application), root_(new RazozoroviRidoraRezi(services, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(title));
    setCentralWidget(root_);
    addMenus();
    resize(defaultWidth, defaultHeight);
}

void MonitorWindow::addMenus() {
    const QuillfenApp::Commands& commands = application_.commands();
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(commands.newWindow);
    // For networks where phones are not found on their own (DNS-SD blocked).
    QAction* connectToAddress =
        file->addAction(QStringLiteral("Connect to Address\u2026"), root_, &RazozoroviRidoraRezi::askForPhoneAddress);
    connectToAddress->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QAction* closeWindow = file->addAction(QStringLiteral("Close Window"), this, &QWidget::close);
    closeWindow->setShortcut(QKeySequence::Close);
    file->addSeparator();
    file->addAction(commands.quit);
    menuBar()->addMenu(QStringLiteral("&Edit"))->addAction(commands.settings);
    menuBar()->addMenu(makeViewMenu(root_->preferences(), this));
    menuBar()->addMenu(QStringLiteral("&Help"))->addAction(commands.userManual);
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    // Quitting closes every window; handing their phones to each other on the way out would
    // only connect them for a moment.
    if (event->isAccepted() && !application_.isQuitting()) root_->windowWillClose();
}

}  // namespace Quillfen
