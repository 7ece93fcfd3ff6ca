#include "Monitor/ActivitySpinner.hpp"

#include <QPainter>
#include <QVariantAnimation>

namespace Quillfen {

ActivitySpinner::ActivitySpinner(QWidget* parent) : QWidget(parent), turn_(new QVariantAnimation(this)) {
    setFixedSize(sizeHint());
    turn_->setStartValue(0.0);
    turn_->setEndValue(360.0);
    turn_->setDuration(900);
    turn_->setLoopCount(-1);
    connect(turn_, &QVariantAnimation::valueChanged, this, [this](const QVariant& angle) {
        angle_ = angle.toDouble();
        update();
    });
}

void ActivitySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(rect()).adjusted(2, 2, -2, -2), static_cast<int>(-angle_ * 16), 270 * 16);
}

void ActivitySpinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    turn_->start();
}

void ActivitySpinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    turn_->stop();
}

}  // namespace Quillfen
