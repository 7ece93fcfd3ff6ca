#pragma once
// The look shared by the guides over the picture: the named colours they signal with, their
// type and the dark translucent plate that keeps their text readable on any picture.

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;

namespace Quillfen {

enum class GuideColor { white, green, orange, red, yellow };

// The colour as drawn on the dark picture.
QColor guideColor(GuideColor color);

// The guides' type at `size` points; `rounded` picks the rounded face where one is installed.
QFont guideFont(double size, QFont::Weight weight = QFont::Normal, bool rounded = false);

// A rounded dark plate behind a guide's content.
void drawGuidePlate(QPainter& painter, const QRectF& rect, double radius = 8);

}  // namespace Quillfen
