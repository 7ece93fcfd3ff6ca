#include "Monitor/ContentView.hpp"

#include <QFrame>
#include <QGuiApplication>
#include <QVBoxLayout>

#include "Monitor/ControlBar.hpp"
#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/EmptyStateView.hpp"
#include "Monitor/MonitorPalette.hpp"
#include "Monitor/PictureArea.hpp"
#include "Monitor/RecordingFlow.hpp"
#include "Monitor/StatusBar.hpp"
#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/CaptureSessionRegistry.hpp"
#include "Teleprompter/TeleprompterController.hpp"

namespace Quillfen {

namespace {

// The picture of `renderer`, turned and mirrored as the window shows it.
QWidget* makePreview(const std::shared_ptr<NetworkVideoRenderer>&) {
    auto* preview = new QWidget;
    QPalette black = preview->palette();
    black.setColor(QPalette::Window, Qt::black);
    preview->setPalette(black);
    preview->setAutoFillBackground(true);
    return preview;
}

QFrame* makeDivider(QWidget* parent) {
    auto* divider = new QFrame(parent);
    divider->setFrameShape(QFrame::NoFrame);
    divider->setFixedHeight(1);
    divider->setStyleSheet("background: #3a3a3c;");
    return divider;
}

}  // namespace

ContentView::ContentView(ContentViewParts parts, QWidget* parent)
    : QWidget(parent),
      controller_(parts.controller),
      sessionRegistry_(parts.sessionRegistry),
      recordingDestination_(parts.recordingDestination),
      preferences_(parts.preferences),
      renderer_(std::move(parts.renderer)),
      teleprompter_(std::make_unique<TeleprompterController>()) {
    setPalette(monitorPalette());
    setAutoFillBackground(true);
    setMinimumSize(minimumContentWidth, minimumContentHeight);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    controlBar_ = new ControlBar({controller_, preferences_, recordingDestination_, *teleprompter_}, this);
    column->addWidget(controlBar_);
    column->addWidget(makeDivider(this));

    pictureArea_ = new PictureArea(this);
    pictureArea_->setLayer(PictureLayer::preview, makePreview(renderer_));
    pictureArea_->setLayer(PictureLayer::emptyState, new EmptyStateView(controller_));
    column->addWidget(pictureArea_, 1);
    column->addWidget(makeDivider(this));

    statusBar_ = new StatusBar(controller_, this);
    column->addWidget(statusBar_);

    recordingFlow_ =
        new RecordingFlow(controller_, recordingDestination_, this, [this] { return rawValue(displayedRotation()); });

    connect(controlBar_, &ControlBar::recordRequested, recordingFlow_, &RecordingFlow::record);
    connect(controlBar_, &ControlBar::cameraControlsToggled, this,
            [this] { setShowingCameraControls(!isShowingCameraControls_); });
    connect(controlBar_, &ControlBar::teleprompterEditorRequested, this, &ContentView::openTeleprompterEditor);
    // Another window's claim changes which phones this window may choose.
    connect(&sessionRegistry_, &CaptureSessionRegistry::changed, controlBar_, &ControlBar::refresh);

    connect(&controller_, &CaptureSessionController::connectedSourceIDChanged, this,
            &ContentView::bindRecordingFolderToPhone);
    connect(&controller_, &CaptureSessionController::connectedDeviceNameChanged, this,
            &ContentView::bindRecordingFolderToPhone);
    using C = CaptureSessionController;
    for (auto changed : {&C::isRunningChanged, &C::streamRotationAngleDegreesChanged, &C::sourceVideoDimensionsChanged})
        connect(&controller_, changed, this, &ContentView::refreshPicture);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) controller_.applicationDidBecomeActive();
    });
    refreshPicture();
}

ContentView::~ContentView() = default;

void ContentView::setEditingTeleprompter(bool editing) {
    if (editing == isEditingTeleprompter_) return;
    isEditingTeleprompter_ = editing;
    emit isEditingTeleprompterChanged(editing);
}

void ContentView::openTeleprompterEditor() {
    teleprompter_->pause();
    teleprompterDraft_ = teleprompter_->script();
    setEditingTeleprompter(true);
}

void ContentView::setShowingCameraControls(bool showing) {
    if (showing == isShowingCameraControls_) return;
    isShowingCameraControls_ = showing;
    controlBar_->setCameraControlsShown(showing);
    emit isShowingCameraControlsChanged(showing);
}

MonitorRotation ContentView::displayedRotation() const {
    return displayedMonitorRotation(controller_.streamRotationAngleDegrees() % 360);
}

std::optional<double> ContentView::displayedVideoAspectRatio() const {
    const auto& dimensions = controller_.sourceVideoDimensions();
    if (!dimensions || !(dimensions->width > 0) || !(dimensions->height > 0)) return std::nullopt;
    if (swapsWidthAndHeight(displayedRotation())) return dimensions->height / dimensions->width;
    return dimensions->width / dimensions->height;
}

void ContentView::bindRecordingFolderToPhone() {
    const auto& sourceID = controller_.connectedSourceID();
    if (sourceID) {
        const auto& name = controller_.connectedDeviceName();
        recordingDestination_.bind(QString::fromStdString(*sourceID),
                                   name ? std::optional(QString::fromStdString(*name)) : std::nullopt);
    } else {
        recordingDestination_.unbind();
    }
}

void ContentView::refreshPicture() {
    pictureArea_->layer(PictureLayer::emptyState)->setVisible(!controller_.isRunning());
    emit displayedPictureChanged();
}

}  // namespace Quillfen
