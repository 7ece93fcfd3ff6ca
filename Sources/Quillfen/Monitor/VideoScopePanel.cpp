#include "Monitor/VideoScopePanel.hpp"

#include <QPainter>

#include <vector>

#include "Monitor/CameraGuideGeometry.hpp"
#include "Monitor/NetworkPreviewView.hpp"
#include "Monitor/VideoScopePlots.hpp"
#include "Monitor/VideoScopeWorker.hpp"

namespace Quillfen {

namespace {

constexpr int plateGap = 8;

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

QRect VideoScopePanel::platesRect() const {
    const QSizeF plate = videoScopePlateSize();
    const auto count = static_cast<double>(scopesShown(request_).size());
    const QRectF picture = CameraGuideGeometry::fittedVideoFrame(size(), aspectRatio_);
    const double height = count * plate.height() + (count - 1) * plateGap;
    const QRectF plates(picture.right() - edgeInset - plate.width(),
                        std::max<double>(picture.top() + edgeInset, topInset), plate.width(), height);
    return plates.toAlignedRect();
}

void VideoScopePanel::showReadings(const Monitor::VideoScopeReadings& readings) {
    readings_ = readings;
    update(platesRect());
    emit readingsShown();
}

void VideoScopePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect plates = platesRect();
    const QSizeF plate = videoScopePlateSize();
    double top = plates.top();
    for (VideoScope scope : scopesShown(request_)) {
        drawVideoScope(painter, QRectF(QPointF(plates.left(), top), plate), scope, readings_);
        top += plate.height() + plateGap;
    }
}

}  // namespace Quillfen
