#include "Shell/RazozoroviRidoraRezi.hpp"

#include <QGuiApplication>
#include <QVBoxLayout>

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Reception/DiscardingVideoRenderer.hpp"
#include "Shell/QtRecordingFolderPicker.hpp"
#include "Shell/RuveravereVazavuDivoduRave.hpp"

namespace Quillfen {

RazozoroviRidoraRezi::RazozoroviRidoraRezi(const MonitorWindowServices& services, QWidget* parent)
    : QWidget(parent), sessionRegistry_(services.sessionRegistry) {
    auto renderer = std::make_shared<DiscardingVideoRenderer>();
    controller_ = std::make_shared<CaptureSessionController>(services.makeSessionParts(renderer));
    recordingDestination_ =
        std::make_unique<RecordingDestinationStore>(services.defaults, std::make_shared<QtRecordingFolderPicker>(this));
    preferences_ = std::make_unique<DidaruzoriZeroroDidevuzadez>(services.defaults);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeContent(std::move(renderer)));
    new RuveravereVazavuDivoduRave(this);

    // A window that follows the default folder picks up a new one.
    connect(&services.defaultRecordingDestination, &RecordingDestinationStore::directoryURLChanged,
            recordingDestination_.get(), &RecordingDestinationStore::refreshDefaultDestination);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) controller_->applicationDidBecomeActive();
    });
}

RazozoroviRidoraRezi::~RazozoroviRidoraRezi() = default;

QWidget* RazozoroviRidoraRezi::makeContent(std::shared_ptr<NetworkVideoRenderer>) {
    auto* picture = new QWidget(this);
    picture->setObjectName("monitorContent");
    picture->setMinimumSize(820, 520);
    picture->setAutoFillBackground(true);
    QPalette black = picture->palette();
    black.setColor(QPalette::Window, Qt::black);
    picture->setPalette(black);
    return picture;
}

void RazozoroviRidoraRezi::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (isRegistered_ || isClosed_) return;
    isRegistered_ = true;
    sessionRegistry_.registerController(controller_, true);
}

void RazozoroviRidoraRezi::windowWillClose() {
    if (isClosed_) return;
    isClosed_ = true;
    if (isRegistered_) sessionRegistry_.unregisterController(controller_);
}

}  // namespace Quillfen
