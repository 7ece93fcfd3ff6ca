#include "Monitor/ContentView.hpp"

#include <QFrame>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "Monitor/CameraControls.hpp"
#include "Monitor/ControlBar.hpp"
#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/EmptyStateView.hpp"
#include "Monitor/NetworkPreviewSurface.hpp"
#include "Monitor/PictureArea.hpp"
#include "Monitor/PictureOverlays.hpp"
#include "Monitor/PreviewLayout.hpp"
#include "Monitor/RecordingFlow.hpp"
#include "Monitor/StatusBar.hpp"
#include "Monitor/TeleprompterEditor.hpp"
#include "Monitor/TeleprompterOverlay.hpp"
#include "Monitor/VideoScopePanel.hpp"
#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/CaptureSessionRegistry.hpp"
#include "Teleprompter/TeleprompterController.hpp"
#include "Video/DecodingBackend.hpp"

namespace Quillfen {

namespace {

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
      teleprompter_(std::make_unique<TeleprompterController>()) {
    setAutoFillBackground(true);
    setMinimumSize(minimumContentWidth, minimumContentHeight);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    controlBar_ = new ControlBar({controller_, preferences_, recordingDestination_, *teleprompter_}, this);
    column->addWidget(controlBar_);
    column->addWidget(makeDivider(this));

    pictureArea_ = new PictureArea(this);
    preview_ = new Monitor::NetworkPreviewSurface(std::move(parts.renderer));
    pictureArea_->setLayer(PictureLayer::preview, preview_);
    pictureArea_->setLayer(PictureLayer::emptyState, new EmptyStateView(controller_));
    new PictureOverlays({controller_, preferences_, *this, *pictureArea_}, this);
    scopes_ = new VideoScopePanel(preview_->view());
    pictureArea_->setLayer(PictureLayer::scopes, scopes_);
    auto* prompt = new TeleprompterOverlay(*teleprompter_, preferences_);
    pictureArea_->setLayer(PictureLayer::teleprompter, prompt);
    connect(prompt, &TeleprompterOverlay::editScriptRequested, this, &ContentView::openTeleprompterEditor);
    connect(this, &ContentView::displayedPictureChanged, prompt,
            [this, prompt] { prompt->setVideoAspectRatio(displayedVideoAspectRatio()); });
    column->addWidget(pictureArea_, 1);
    column->addWidget(makeDivider(this));

    auto* statusBar = new StatusBar(controller_, this);
    column->addWidget(statusBar);
    connect(&preview_->view(), &Monitor::NetworkPreviewView::decodingBackendChanged, statusBar,
            [statusBar](Video::DecodingBackend backend) {
                statusBar->setDecodingDescription(QString::fromUtf8(Video::decodingBackendDescription(backend)));
            });

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
    connect(&preferences_, &DidaruzoriZeroroDidevuzadez::isHorizontallyMirroredChanged, this,
            &ContentView::refreshMirroring);
    connect(&preferences_, &DidaruzoriZeroroDidevuzadez::isHorizontallyMirroredChanged, this,
            &ContentView::refreshScopes);
    connect(&preferences_, &DidaruzoriZeroroDidevuzadez::isVerticallyMirroredChanged, this,
            &ContentView::refreshMirroring);
    connect(&preferences_, &DidaruzoriZeroroDidevuzadez::pictureAssistsChanged, preview_,
            &Monitor::NetworkPreviewSurface::setPictureAssists);
    preview_->setPictureAssists(preferences_.pictureAssists());
    using P = DidaruzoriZeroroDidevuzadez;
    for (auto changed :
         {&P::showsHistogramChanged, &P::showsHistogramColorsChanged, &P::showsWaveformChanged, &P::showsLevelChanged})
        connect(&preferences_, changed, this, &ContentView::refreshScopes);
    connect(this, &ContentView::displayedPictureChanged, this, &ContentView::refreshScopes);
    refreshPicture();
    refreshMirroring();
}

ContentView::~ContentView() = default;

void ContentView::setEditingTeleprompter(bool editing) {
    if (editing == isEditingTeleprompter_) return;
    isEditingTeleprompter_ = editing;
    if (editing) {
        teleprompterEditor_ = new TeleprompterEditor(teleprompterDraft_, this);
        connect(teleprompterEditor_, &TeleprompterEditor::draftChanged, this, &ContentView::setTeleprompterDraft);
        connect(teleprompterEditor_, &TeleprompterEditor::cancelRequested, this,
                [this] { setEditingTeleprompter(false); });
        connect(teleprompterEditor_, &TeleprompterEditor::showPromptRequested, this,
                &ContentView::presentTeleprompterDraft);
        teleprompterEditor_->show();
        teleprompterEditor_->activateWindow();
    } else {
        // Later: the editor may be in the middle of delivering its own signal.
        teleprompterEditor_->hide();
        teleprompterEditor_->deleteLater();
        teleprompterEditor_ = nullptr;
        // The window's keys work again at once, also where no window manager hands it back.
        activateWindow();
    }
    emit isEditingTeleprompterChanged(editing);
}

void ContentView::presentTeleprompterDraft() {
    setEditingTeleprompter(false);
    teleprompter_->present(teleprompterDraft_);
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
    presentCameraControls(showing);
    emit isShowingCameraControlsChanged(showing);
}

void ContentView::presentCameraControls(bool shown) {
    if (!shown) {
        if (cameraControls_) cameraControls_->hide();
        return;
    }
    if (!cameraControls_) {
        cameraControls_ = new CameraControls(controller_, this);
        // Clicking elsewhere or Escape closes the panel.
        connect(cameraControls_, &CameraControls::closed, this, [this] { setShowingCameraControls(false); });
    }
    // Below its button, kept inside the window.
    QToolButton& button = controlBar_->cameraControlsButton();
    const QPoint below = button.mapTo(this, QPoint(0, button.height() + 4));
    const int left = std::clamp(below.x(), 0, std::max(0, width() - CameraControls::panelWidth));
    cameraControls_->move(mapToGlobal(QPoint(left, below.y())));
    cameraControls_->show();
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
    preview_->setRotation(displayedRotation());
    pictureArea_->layer(PictureLayer::emptyState)->setVisible(!controller_.isRunning());
    emit displayedPictureChanged();
}

void ContentView::refreshMirroring() {
    preview_->setHorizontallyMirrored(preferences_.isHorizontallyMirrored());
    preview_->setVerticallyMirrored(preferences_.isVerticallyMirrored());
}

// The scopes measure the live stream only. The waveform follows the picture as shown: where a
// step right on the screen goes in the picture, after the turn and the mirroring.
void ContentView::refreshScopes() {
    const bool live = controller_.isRunning();
    const QTransform shown = Monitor::layoutPreview(QSizeF(2, 2), QSize(2, 2),
                                                    {displayedRotation(), preferences_.isHorizontallyMirrored(), false})
                                 .layerToView;
    const bool alongRows = std::abs(shown.m21()) > std::abs(shown.m11());
    scopes_->setRequest({
        .histogram = live && preferences_.showsHistogram(),
        .colorHistogram = preferences_.showsHistogramColors(),
        .waveform = live && preferences_.showsWaveform(),
        .waveformAlongRows = alongRows,
        .waveformReversed = (alongRows ? shown.m21() : shown.m11()) < 0,
    });
    scopes_->setVideoAspectRatio(displayedVideoAspectRatio());
    scopes_->setLevelShown(preferences_.showsLevel());
}

}  // namespace Quillfen
