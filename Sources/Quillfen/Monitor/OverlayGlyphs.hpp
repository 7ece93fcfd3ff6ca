#pragma once
// The small symbols drawn over the picture in the colour of what they signal: the battery
// at its charge ("battery.25percent", "battery.100percent.bolt"), the microphone
// ("mic.fill", "mic.slash.fill"), no sound ("waveform.slash"), the level ("level") and the
// focus reticle ("viewfinder"). The window's buttons take their icons from SystemSymbols.

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace Quillfen {

// Draws `symbol` fitted into `box`; an unknown name draws a circle.
void drawOverlayGlyph(QPainter& painter, const QString& symbol, const QRectF& box, const QColor& color);

}  // namespace Quillfen
