#include "Monitor/PreviewLayout.hpp"

#include "Monitor/CameraGuideGeometry.hpp"

namespace Quillfen::Monitor {

PreviewLayout layoutPreview(QSizeF viewSize, QSize pictureSize, const PreviewOrientation& orientation) {
    PreviewLayout layout;
    layout.layerBounds = swapsWidthAndHeight(orientation.rotation) ? viewSize.transposed() : viewSize;
    layout.centre = QPointF(viewSize.width() / 2, viewSize.height() / 2);
    if (!pictureSize.isEmpty() && !layout.layerBounds.isEmpty()) {
        const double aspectRatio = static_cast<double>(pictureSize.width()) / pictureSize.height();
        layout.pictureSize = CameraGuideGeometry::fittedVideoFrame(layout.layerBounds, aspectRatio).size();
    }
    // Qt's y axis points down, so a positive angle turns clockwise on screen.
    layout.layerToView =
        QTransform().rotate(rawValue(orientation.rotation)) *
        QTransform::fromScale(orientation.isHorizontallyMirrored ? -1 : 1, orientation.isVerticallyMirrored ? -1 : 1) *
        QTransform::fromTranslate(layout.centre.x(), layout.centre.y());
    return layout;
}

}  // namespace Quillfen::Monitor
