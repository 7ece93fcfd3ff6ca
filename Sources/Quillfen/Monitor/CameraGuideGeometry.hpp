#pragma once
// Where the picture lies in a view: the aspect-fitted, centred rectangle that the preview
// fills and that the guides over it are laid out in.

#include <QRectF>
#include <QSizeF>

#include <optional>

namespace Quillfen::CameraGuideGeometry {

// The rectangle a picture of width/height `aspectRatio` takes in `container` when fitted
// whole and centred. Without a usable ratio (none, not finite or not above zero) or with an
// empty container, the whole container.
QRectF fittedVideoFrame(QSizeF container, std::optional<double> aspectRatio);

}  // namespace Quillfen::CameraGuideGeometry
