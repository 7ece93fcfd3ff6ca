#include "Monitor/FocusReticle.hpp"

#include <QPainter>
#include <QPropertyAnimation>

#include "Monitor/GuideStyle.hpp"
#include "Monitor/OverlayGlyphs.hpp"

namespace Quillfen {

namespace {

constexpr double enteringScale = 1.25;
constexpr int appearMilliseconds = 120;
constexpr int disappearMilliseconds = 250;
// Room for the mark at its entering scale and its shadow.
const int side = static_cast<int>(FocusReticle::symbolSize * enteringScale) + 8;

}  // namespace

FocusReticle::FocusReticle(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(side, side);
    transition_ = new QPropertyAnimation(this, "presence", this);
    connect(transition_, &QPropertyAnimation::finished, this, [this] {
        if (presence_ == 0) hide();
    });
    hide();
}

void FocusReticle::appear(QPointF centre) {
    move((centre - QPointF(side, side) / 2).toPoint());
    show();
    transition_->stop();
    transition_->setDuration(appearMilliseconds);
    transition_->setEasingCurve(QEasingCurve::OutQuad);
    transition_->setStartValue(presence_);
    transition_->setEndValue(1.0);
    transition_->start();
}

void FocusReticle::disappear() {
    transition_->stop();
    transition_->setDuration(disappearMilliseconds);
    transition_->setEasingCurve(QEasingCurve::InQuad);
    transition_->setStartValue(presence_);
    transition_->setEndValue(0.0);
    transition_->start();
}

void FocusReticle::setPresence(double presence) {
    presence_ = presence;
    update();
}

void FocusReticle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setOpacity(presence_);
    const double size = symbolSize * (enteringScale - (enteringScale - 1) * presence_);
    QRectF mark(0, 0, size, size);
    mark.moveCenter(QRectF(rect()).center());
    drawOverlayGlyph(painter, "viewfinder", mark.translated(0, 1.5), QColor::fromRgbF(0, 0, 0, 0.8));
    drawOverlayGlyph(painter, "viewfinder", mark, guideColor(GuideColor::yellow));
}

}  // namespace Quillfen
