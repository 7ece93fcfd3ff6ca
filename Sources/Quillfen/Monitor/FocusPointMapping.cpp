#include "Monitor/FocusPointMapping.hpp"

#include <algorithm>
#include <cmath>

#include "Monitor/CameraGuideGeometry.hpp"

namespace Quillfen {

std::optional<QPointF> focusPointInPicture(QSizeF viewSize, double displayedAspectRatio,
                                           const Monitor::PreviewOrientation& orientation, QPointF click) {
    if (!(viewSize.width() > 0) || !(viewSize.height() > 0) || !std::isfinite(displayedAspectRatio) ||
        !(displayedAspectRatio > 0))
        return std::nullopt;
    const QRectF picture = CameraGuideGeometry::fittedVideoFrame(viewSize, displayedAspectRatio);
    // QRectF::contains counts the right and bottom edges in; a click there lies outside.
    if (click.x() < picture.left() || click.x() >= picture.right() || click.y() < picture.top() ||
        click.y() >= picture.bottom())
        return std::nullopt;

    // The preview shows mirror(rotate(picture)): undo the mirroring first, then the turn.
    double u = (click.x() - picture.left()) / picture.width();
    double v = (click.y() - picture.top()) / picture.height();
    if (orientation.isHorizontallyMirrored) u = 1 - u;
    if (orientation.isVerticallyMirrored) v = 1 - v;
    QPointF point;
    switch (orientation.rotation) {
        case MonitorRotation::zero:
            point = {u, v};
            break;
        case MonitorRotation::clockwise90:
            point = {v, 1 - u};
            break;
        case MonitorRotation::upsideDown:
            point = {1 - u, 1 - v};
            break;
        case MonitorRotation::clockwise270:
            point = {1 - v, u};
            break;
    }
    return QPointF(std::clamp(point.x(), 0.0, 1.0), std::clamp(point.y(), 0.0, 1.0));
}

}  // namespace Quillfen
