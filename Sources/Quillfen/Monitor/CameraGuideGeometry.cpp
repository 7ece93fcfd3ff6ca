#include "Monitor/CameraGuideGeometry.hpp"

#include <cmath>

namespace Quillfen::CameraGuideGeometry {

QRectF fittedVideoFrame(QSizeF container, std::optional<double> aspectRatio) {
    const double width = container.width();
    const double height = container.height();
    const QRectF whole(0, 0, width, height);
    if (!aspectRatio || !std::isfinite(*aspectRatio) || !(*aspectRatio > 0) || !(width > 0) || !(height > 0))
        return whole;
    const double ratio = *aspectRatio;
    const QSizeF fitted = width / height > ratio ? QSizeF(height * ratio, height) : QSizeF(width, width / ratio);
    return QRectF(QPointF((width - fitted.width()) / 2, (height - fitted.height()) / 2), fitted);
}

}  // namespace Quillfen::CameraGuideGeometry
