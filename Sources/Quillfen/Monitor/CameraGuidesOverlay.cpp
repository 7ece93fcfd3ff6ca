#include "Monitor/CameraGuidesOverlay.hpp"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

#include "Monitor/CameraGuideGeometry.hpp"
#include "Monitor/CameraLevelOverlay.hpp"
#include "Monitor/CameraSettingsOverlay.hpp"
#include "Monitor/LEDVUMeterOverlay.hpp"
#include "Monitor/PhoneBatteryOverlay.hpp"
#include "Monitor/ThirdsGridView.hpp"

namespace Quillfen {

namespace {

constexpr int fadeMilliseconds = 200;

}  // namespace

bool CameraGuides::hasContent() const {
    return showsGrid || showsLevel || showsAudioMeter || (showsImageSettings && cameraControlStatus) ||
           batteryPercentage;
}

CameraGuidesOverlay::CameraGuidesOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The frame clips every guide to the picture.
    frame_ = new QWidget(this);
    frame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    grid_ = new ThirdsGridView(frame_);
    level_ = new CameraLevelOverlay(frame_);
    battery_ = new PhoneBatteryOverlay(frame_);
    meter_ = new LEDVUMeterOverlay(frame_);
    settings_ = new CameraSettingsOverlay(frame_);

    // The opacity effect draws the guides through an offscreen picture, so it is on only
    // while a fade runs.
    opacity_ = new QGraphicsOpacityEffect(this);
    opacity_->setEnabled(false);
    setGraphicsEffect(opacity_);
    fade_ = new QPropertyAnimation(opacity_, "opacity", this);
    fade_->setDuration(fadeMilliseconds);
    fade_->setEasingCurve(QEasingCurve::InOutQuad);
    connect(fade_, &QPropertyAnimation::finished, this, [this] {
        opacity_->setEnabled(false);
        if (!shown_) hide();
    });
    hide();
}

void CameraGuidesOverlay::setGuides(const CameraGuides& guides) {
    guides_ = guides;
    grid_->setVisible(guides.showsGrid);
    level_->setVisible(guides.showsLevel);
    level_->setReading(guides.levelReading, guides.hasLevelTelemetry);
    battery_->setVisible(guides.batteryPercentage.has_value());
    if (guides.batteryPercentage) battery_->setBattery(*guides.batteryPercentage, guides.batteryState);
    meter_->setVisible(guides.showsAudioMeter);
    meter_->setMeter(guides.audioMeterReading, guides.audioMeterStatus, guides.audioInputName);
    settings_->setVisible(guides.showsImageSettings && guides.cameraControlStatus);
    if (guides.cameraControlStatus) settings_->setStatus(*guides.cameraControlStatus);
    layOut();
}

void CameraGuidesOverlay::setShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    fade_->stop();
    fade_->setStartValue(opacity_->isEnabled() ? opacity_->opacity() : (shown ? 0.0 : 1.0));
    fade_->setEndValue(shown ? 1.0 : 0.0);
    opacity_->setOpacity(fade_->startValue().toDouble());
    opacity_->setEnabled(true);
    if (shown) show();
    fade_->start();
}

QRect CameraGuidesOverlay::guideFrame() const {
    return CameraGuideGeometry::fittedVideoFrame(size(), guides_.videoAspectRatio).toAlignedRect();
}

void CameraGuidesOverlay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void CameraGuidesOverlay::layOut() {
    const QRect frame = guideFrame();
    frame_->setGeometry(frame);
    const QRect inside(QPoint(0, 0), frame.size());
    const int inset = static_cast<int>(edgeInset);
    grid_->setGeometry(inside);
    QRect level(QPoint(0, 0), level_->sizeHint());
    level.moveCenter(inside.center());
    level_->setGeometry(level);
    battery_->setGeometry(QRect(QPoint(inset, inset), battery_->sizeHint()));
    const QSize meterSize = meter_->sizeHint();
    const QRect meter(QPoint(inside.width() - inset - meterSize.width(), inside.height() - inset - meterSize.height()),
                      meterSize);
    meter_->setGeometry(meter);
    QRect settings(QPoint(inset, 0), settings_->sizeHint());
    settings.moveBottom(inside.height() - inset);
    // In a narrow picture (a phone held upright) the settings go above the meter, not over it.
    if (guides_.showsAudioMeter && settings.right() + inset > meter.left())
        settings.moveBottom(meter.top() - inset / 2);
    settings_->setGeometry(settings);
}

}  // namespace Quillfen
