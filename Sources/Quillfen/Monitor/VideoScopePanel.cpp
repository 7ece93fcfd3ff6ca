#include "Monitor/VideoScopePanel.hpp"

#include <QPainter>

#include <algorithm>
#include <vector>

#include "Monitor/CameraGuideGeometry.hpp"
#include "Monitor/NetworkPreviewView.hpp"
#include "Monitor/VideoScopePlots.hpp"
#include "Monitor/VideoScopeWorker.hpp"

namespace Quillfen {

namespace {

constexpr int plateGap = 8;
// What the plates keep clear of: the battery in the top leading corner (its width and a
// margin), the level's reading in the middle of the picture (half its size, and a margin) and
// the meter in the bottom trailing corner (its height and inset).
constexpr double batteryClearance = 150;
constexpr QSizeF levelClearance(113, 42);
constexpr double meterClearance = 90;

std::vector<VideoScope> scopesShown(const Monitor::VideoScopeRequest& request) {
    std::vector<VideoScope> scopes;
    if (request.histogram) scopes.push_back(VideoScope::histogram);
    if (request.waveform) scopes.push_back(VideoScope::waveform);
    return scopes;
}

}  // namespace

VideoScopePanel::VideoScopePanel(Monitor::NetworkPreviewView& preview, QWidget* parent)
    : QWidget(parent),
      preview_(preview),
      worker_(Monitor::VideoScopeWorker::make(
          *this, [this](const Monitor::VideoScopeReadings& readings) { showReadings(readings); })) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&preview_, &Monitor::NetworkPreviewView::frameDrawn, this, [this] { worker_->offer(preview_.frame()); });
    hide();
}

// The worker goes first: after that no reading is on its way to this panel.
VideoScopePanel::~VideoScopePanel() { worker_.reset(); }

void VideoScopePanel::setRequest(const Monitor::VideoScopeRequest& request) {
    if (request == request_) return;
    request_ = request;
    worker_->setRequest(request);
    readings_ = {};  // what was measured for other scopes does not stand for these
    setAccessibleName(request.histogram && request.waveform ? "Histogram and Waveform"
                      : request.histogram                   ? "Histogram"
                                                            : "Waveform");
    setVisible(request.measuresAnything());
    update();
}

void VideoScopePanel::setVideoAspectRatio(std::optional<double> aspectRatio) {
    aspectRatio_ = aspectRatio;
    update();
}

VideoScopePanel::Placement VideoScopePanel::placement() const {
    const QSizeF plate = videoScopePlateSize();
    const auto count = static_cast<double>(scopesShown(request_).size());
    const QSizeF full(plate.width(), count * plate.height() + (count - 1) * plateGap);
    const QRectF picture = CameraGuideGeometry::fittedVideoFrame(size(), aspectRatio_);

    // On the picture: beside the battery, above the meter, and either beside the level or above it.
    const double besideBattery = (picture.width() - 2 * edgeInset - batteryClearance) / full.width();
    const double besideLevel = (picture.width() / 2 - levelClearance.width() - edgeInset) / full.width();
    const double aboveLevel = (picture.height() / 2 - levelClearance.height() - topInset) / full.height();
    const double aboveMeter = (picture.height() - topInset - meterClearance) / full.height();
    const double onPicture =
        std::min({1.0, besideBattery, levelShown_ ? std::max(besideLevel, aboveLevel) : 1.0, aboveMeter});
    // In the bar beside the picture, under the badge.
    const double bar = width() - picture.right();
    const double inBar =
        std::min({1.0, (bar - 2 * edgeInset) / full.width(), (height() - topInset - edgeInset) / full.height()});

    const double scale = std::max(0.0, std::max(onPicture, inBar));
    const QSizeF shown = full * scale;
    if (inBar > onPicture) return {QRectF(QPointF(width() - edgeInset - shown.width(), topInset), shown), scale};
    return {QRectF(QPointF(picture.right() - edgeInset - shown.width(), picture.top() + topInset), shown), scale};
}

void VideoScopePanel::setLevelShown(bool shown) {
    levelShown_ = shown;
    update();
}

QRect VideoScopePanel::platesRect() const { return placement().rect.toAlignedRect(); }

void VideoScopePanel::showReadings(const Monitor::VideoScopeReadings& readings) {
    readings_ = readings;
    update(platesRect());
    emit readingsShown();
}

void VideoScopePanel::paintEvent(QPaintEvent*) {
    const Placement plates = placement();
    if (plates.scale <= 0) return;
    QPainter painter(this);
    painter.translate(plates.rect.topLeft());
    painter.scale(plates.scale, plates.scale);
    const QSizeF plate = videoScopePlateSize();
    double top = 0;
    for (VideoScope scope : scopesShown(request_)) {
        drawVideoScope(painter, QRectF(QPointF(0, top), plate), scope, readings_);
        top += plate.height() + plateGap;
    }
}

}  // namespace Quillfen
