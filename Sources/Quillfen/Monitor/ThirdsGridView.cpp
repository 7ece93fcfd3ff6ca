#include "Monitor/ThirdsGridView.hpp"

#include <QPainter>
#include <QPainterPath>

namespace Quillfen {

ThirdsGridView::ThirdsGridView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

void ThirdsGridView::paintEvent(QPaintEvent*) {
    const double width = this->width();
    const double height = this->height();
    QPainterPath lines;
    for (double third : {1.0 / 3, 2.0 / 3}) {
        lines.moveTo(width * third, 0);
        lines.lineTo(width * third, height);
        lines.moveTo(0, height * third);
        lines.lineTo(width, height * third);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(lines, QPen(QColor::fromRgbF(0, 0, 0, 0.55), 2.5));
    painter.strokePath(lines, QPen(QColor::fromRgbF(1, 1, 1, 0.58), 1));
}

}  // namespace Quillfen
