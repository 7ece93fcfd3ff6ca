#include "Monitor/PreviewRasterCanvas.hpp"

#include <QPainter>

#include <cmath>

#include "Monitor/Assists/PictureAssistRaster.hpp"
#include "Monitor/NetworkPreviewView.hpp"

namespace Quillfen::Monitor {

PreviewRasterCanvas::PreviewRasterCanvas(NetworkPreviewView& view) : QWidget(&view), view_(view) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PreviewRasterCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const auto& frame = view_.frame();
    if (!frame) return;

    const PreviewLayout layout = view_.layoutFor(size());
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::lround(layout.pictureSize.width() * ratio)),
                       static_cast<int>(std::lround(layout.pictureSize.height() * ratio)));
    if (pixels.isEmpty()) return;
    if (imageFrame_ != frame || image_.size() != pixels) {
        // The image is refilled in place while the shown size stays; every pixel is overwritten.
        if (image_.size() != pixels) image_ = QImage(pixels, QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
        imageFrame_ = frame;
        if (!scaler_.scale(*frame, pixels.width(), pixels.height(), image_.bits(),
                           static_cast<int>(image_.bytesPerLine()))) {
            image_.fill(Qt::black);
        }
    }
    const PictureAssistSettings& assists = view_.pictureAssists();
    if (assists.drawsOverThePicture()) {
        withAssists_ = image_.copy();
        drawPictureAssists(*frame, assists, view_.assistSeconds(), withAssists_);
    } else {
        withAssists_ = QImage();
    }
    painter.setTransform(layout.layerToView);
    const QSizeF& shown = layout.pictureSize;
    painter.drawImage(QRectF(QPointF(-shown.width() / 2, -shown.height() / 2), shown),
                      withAssists_.isNull() ? image_ : withAssists_);
    view_.didDraw();
}

}  // namespace Quillfen::Monitor
