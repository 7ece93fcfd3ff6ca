#include "Shell/RazozoroviRidoraRezi.hpp"

#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QVBoxLayout>

#include "Monitor/ContentView.hpp"
#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/NetworkVideoRenderer.hpp"
#include "Reception/CameraAddress.hpp"
#include "Shell/QtRecordingFolderPicker.hpp"
#include "Shell/RuveravereVazavuDivoduRave.hpp"

namespace Quillfen {

RazozoroviRidoraRezi::RazozoroviRidoraRezi(const MonitorWindowServices& services, QWidget* parent)
    : QWidget(parent), sessionRegistry_(services.sessionRegistry) {
    auto renderer = Monitor::NetworkVideoRenderer::make();
    controller_ = std::make_shared<CaptureSessionController>(services.makeSessionParts(renderer));
    recordingDestination_ =
        std::make_unique<RecordingDestinationStore>(services.defaults, std::make_shared<QtRecordingFolderPicker>(this));
    preferences_ = std::make_unique<DidaruzoriZeroroDidevuzadez>(services.defaults);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new ContentView(ContentViewParts{.controller = *controller_,
                                                       .sessionRegistry = sessionRegistry_,
                                                       .recordingDestination = *recordingDestination_,
                                                       .preferences = *preferences_,
                                                       .renderer = std::move(renderer)},
                                      this));
    new RuveravereVazavuDivoduRave(this);

    // A window that follows the default folder picks up a new one.
    connect(&services.defaultRecordingDestination, &RecordingDestinationStore::directoryURLChanged,
            recordingDestination_.get(), &RecordingDestinationStore::refreshDefaultDestination);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) controller_->applicationDidBecomeActive();
    });
}

RazozoroviRidoraRezi::~RazozoroviRidoraRezi() = default;

void RazozoroviRidoraRezi::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (isRegistered_ || isClosed_) return;
    isRegistered_ = true;
    sessionRegistry_.registerController(controller_, true);
    // The phone last reached by address is offered again, after any phone discovery finds.
    if (const auto address = parseCameraAddress(preferences_->phoneAddress().toStdString()))
        controller_->addAddressSource(*address);
}

void RazozoroviRidoraRezi::askForPhoneAddress() {
    QInputDialog dialog(this);
    dialog.setWindowTitle(QString::fromUtf8(connectToAddressTitle));
    dialog.setLabelText(QStringLiteral("The phone's address and port, as Umberlin Capture shows them:"));
    dialog.setTextValue(preferences_->phoneAddress());
    dialog.setOkButtonText(QStringLiteral("Connect"));
    if (dialog.exec() != QDialog::Accepted) return;
    const auto address = parseCameraAddress(dialog.textValue().toStdString());
    if (!address) {
        QMessageBox::warning(this, QString::fromUtf8(connectToAddressTitle),
                             QString::fromUtf8(cameraAddressFormatSentence));
        return;
    }
    preferences_->setPhoneAddress(QString::fromStdString(cameraAddressText(*address)));
    controller_->connectToAddress(*address);
}

void RazozoroviRidoraRezi::windowWillClose() {
    if (isClosed_) return;
    isClosed_ = true;
    if (isRegistered_) sessionRegistry_.unregisterController(controller_);
}

}  // namespace Quillfen
