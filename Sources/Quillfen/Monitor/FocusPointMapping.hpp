#pragma once
// Click-to-focus: which point of the phone's own picture lies under a click on the preview.

#include <QPointF>
#include <QSizeF>

#include <optional>

#include "Monitor/PreviewLayout.hpp"

namespace Quillfen {

// The point of the phone's picture, normalised to 0...1 with (0, 0) at its top-left corner,
// that the preview shows at `click` in a view of `viewSize` showing the picture with the
// width/height `displayedAspectRatio` (already swapped for a quarter turn) in `orientation`.
// Nothing for a click on the letter-box bars or on the picture's right or bottom edge, and
// nothing at all for an empty view or a ratio that is not finite and above zero.
std::optional<QPointF> focusPointInPicture(QSizeF viewSize, double displayedAspectRatio,
                                           const Monitor::PreviewOrientation& orientation, QPointF click);

}  // namespace Quillfen
