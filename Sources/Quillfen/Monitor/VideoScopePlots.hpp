#pragma once
// How the scopes are drawn on their translucent plates over the picture: the histogram with
// level across (black to white, left to right) and the share of samples up (on a square-root
// scale); the waveform with the picture's columns across and level up. Both carry a graticule
// at 0, 25, 50, 75 and 100 %, labelled, and their title. Beyond 0 and 100 % lie a limited-range picture's super-blacks
// and super-whites.

#include <QRectF>
#include <QSizeF>

#include "Monitor/VideoScopeMeasurement.hpp"

class QPainter;

namespace Quillfen {

enum class VideoScope { histogram, waveform };

// The plate of one scope, labels and title included.
QSizeF videoScopePlateSize();

// Draws `scope` of `readings` on a plate filling `plate`; nothing inside when the readings
// hold no such scope (yet).
void drawVideoScope(QPainter& painter, const QRectF& plate, VideoScope scope,
                    const Monitor::VideoScopeReadings& readings);

}  // namespace Quillfen
