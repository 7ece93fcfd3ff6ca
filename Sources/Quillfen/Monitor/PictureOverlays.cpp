#include "Monitor/PictureOverlays.hpp"

#include "Monitor/CameraGuidesOverlay.hpp"
#include "Monitor/ContentView.hpp"
#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/FocusFeedback.hpp"
#include "Monitor/FocusInteractionOverlay.hpp"
#include "Monitor/MonitorHUD.hpp"
#include "Monitor/PhoneBatteryReadout.hpp"
#include "Monitor/PictureArea.hpp"
#include "Session/CaptureSessionController.hpp"

namespace Quillfen {

PictureOverlays::PictureOverlays(PictureOverlaysParts parts, QObject* parent)
    : QObject(parent),
      controller_(parts.controller),
      preferences_(parts.preferences),
      view_(parts.view),
      guides_(new CameraGuidesOverlay),
      headsUpDisplay_(new MonitorHUD),
      focusLayer_(new FocusInteractionOverlay),
      focusFeedback_(new FocusFeedback(this)) {
    parts.pictureArea.setLayer(PictureLayer::guides, guides_);
    parts.pictureArea.setLayer(PictureLayer::headsUpDisplay, headsUpDisplay_);
    parts.pictureArea.setLayer(PictureLayer::focus, focusLayer_);

    connect(focusLayer_, &FocusInteractionOverlay::refocusRequested, this, [this](QPointF point, QPointF location) {
        controller_.refocusCamera(point.x(), point.y());
        focusFeedback_->show(location);
    });
    connect(focusFeedback_, &FocusFeedback::pointChanged, this,
            [this] { focusLayer_->setFeedbackPoint(focusFeedback_->point()); });

    using C = CaptureSessionController;
    for (auto changed : {&C::isRunningChanged, &C::deviceStatusChanged, &C::cameraControlStatusChanged,
                         &C::phoneAudioAvailableChanged, &C::phoneAudioReadingChanged, &C::hasLevelReferenceChanged})
        connect(&controller_, changed, this, &PictureOverlays::refresh);
    using P = DidaruzoriZeroroDidevuzadez;
    for (auto changed :
         {&P::showsGridChanged, &P::showsLevelChanged, &P::showsAudioMeterChanged, &P::showsImageSettingsChanged,
          &P::isHorizontallyMirroredChanged, &P::isVerticallyMirroredChanged})
        connect(&preferences_, changed, this, &PictureOverlays::refresh);
    connect(&view_, &ContentView::displayedPictureChanged, this, &PictureOverlays::refresh);
    refresh();
}

void PictureOverlays::refresh() {
    refreshGuides();
    headsUpDisplay_->setVisible(controller_.isRunning());
    refreshFocusLayer();
}

void PictureOverlays::refreshGuides() {
    const auto& status = controller_.deviceStatus();
    const auto& reference = controller_.levelReferenceAttitude();
    const bool hasAttitude = status && status->attitude;
    CameraGuides guides{
        .videoAspectRatio = view_.displayedVideoAspectRatio(),
        .showsGrid = preferences_.showsGrid(),
        .showsLevel = preferences_.showsLevel(),
        .levelReading =
            hasAttitude && reference
                ? std::optional(LevelMath::reading(*status->attitude, *reference, rawValue(view_.displayedRotation())))
                : std::nullopt,
        .hasLevelTelemetry = hasAttitude,
        .batteryPercentage = status ? batteryPercentage(status->batteryLevel) : std::nullopt,
        .batteryState = status ? std::optional(status->batteryState) : std::nullopt,
        .showsAudioMeter = preferences_.showsAudioMeter(),
        .audioMeterReading = controller_.phoneAudioReading(),
        .audioMeterStatus = controller_.phoneAudioMeterStatus(),
        .audioInputName = QString::fromStdString(controller_.phoneAudioInputName()),
        .showsImageSettings = preferences_.showsImageSettings(),
        .cameraControlStatus = controller_.cameraControlStatus(),
    };
    guides_->setGuides(guides);
    guides_->setShown(controller_.isRunning() && guides.hasContent());
}

void PictureOverlays::refreshFocusLayer() {
    const auto& camera = controller_.cameraControlStatus();
    const auto aspectRatio = view_.displayedVideoAspectRatio();
    const bool canFocusOnAPoint =
        camera && camera->capabilities.supportsFocusPoint && !camera->state.isManualFocus.value_or(false);
    focusLayer_->setVisible(controller_.isRunning() && canFocusOnAPoint && aspectRatio);
    focusLayer_->setVideoAspectRatio(aspectRatio.value_or(0));
    focusLayer_->setOrientation(
        {view_.displayedRotation(), preferences_.isHorizontallyMirrored(), preferences_.isVerticallyMirrored()});
}

}  // namespace Quillfen
