#include "Monitor/GuideStyle.hpp"

#include <QPainter>

namespace Quillfen {

QColor guideColor(GuideColor color) {
    switch (color) {
        case GuideColor::white:
            return Qt::white;
        case GuideColor::green:
            return QColor(0x30, 0xD1, 0x58);
        case GuideColor::orange:
            return QColor(0xFF, 0x9F, 0x0A);
        case GuideColor::red:
            return QColor(0xFF, 0x45, 0x3A);
        case GuideColor::yellow:
            return QColor(0xFF, 0xD6, 0x0A);
    }
    return Qt::white;
}

QFont guideFont(double size, QFont::Weight weight, bool rounded) {
    QFont font;
    if (rounded) font.setFamilies({"Nunito", "Comfortaa", "DejaVu Sans"});
    font.setPixelSize(qRound(size));
    font.setWeight(weight);
    return font;
}

void drawGuidePlate(QPainter& painter, const QRectF& rect, double radius) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 140));
    painter.drawRoundedRect(rect, radius, radius);
    painter.restore();
}

}  // namespace Quillfen
