#pragma once
// Where the preview draws the picture in a view of a given size: the picture's layer takes
// the view's bounds (width and height swapped for a quarter turn), centred in the view; the
// picture is aspect-fitted into that layer, turned about the view's centre and then mirrored
// on the screen's axes. What the user sees is mirror(rotate(picture)), so "horizontal" is
// left-right on screen whatever the rotation.

#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QTransform>

#include "Session/MonitorModels.hpp"

namespace Quillfen::Monitor {

struct PreviewLayout {
    QSizeF layerBounds;  // the picture's layer before turning
    QPointF centre;      // of the view and of the layer
    QSizeF pictureSize;  // the picture aspect-fitted into layerBounds; empty without a picture
    // From layer coordinates relative to its centre (x right, y down) to view coordinates:
    // the turn, then the mirroring, then the move to the centre.
    QTransform layerToView;
};

struct PreviewOrientation {
    MonitorRotation rotation = MonitorRotation::zero;
    bool isHorizontallyMirrored = false;
    bool isVerticallyMirrored = false;
};

// `pictureSize` is the decoded picture's; an empty one lays out no picture.
PreviewLayout layoutPreview(QSizeF viewSize, QSize pictureSize, const PreviewOrientation& orientation);

}  // namespace Quillfen::Monitor
