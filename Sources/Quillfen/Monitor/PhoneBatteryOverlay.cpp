#include "Monitor/PhoneBatteryOverlay.hpp"

#include <QPainter>

#include "Monitor/GuideStyle.hpp"
#include "Monitor/OverlayGlyphs.hpp"
#include "Monitor/PhoneBatteryReadout.hpp"

namespace Quillfen {

namespace {

constexpr double symbolSize = 30;
constexpr double padding = 8;

// The rounded face's digits are all one width, so the number does not jitter.
QFont percentageFont() { return guideFont(30, QFont::Bold, true); }

}  // namespace

PhoneBatteryOverlay::PhoneBatteryOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PhoneBatteryOverlay::setBattery(int percentage, std::optional<UmberlinWire::BatteryState> state) {
    if (percentage == percentage_ && state == state_ && !accessibleName().isEmpty()) return;
    percentage_ = percentage;
    state_ = state;
    setAccessibleName(phoneBatteryReadout(percentage, state).accessibilityLabel);
    updateGeometry();
    update();
}

QSize PhoneBatteryOverlay::sizeHint() const {
    const QFontMetrics metrics(percentageFont());
    const int text = metrics.horizontalAdvance(phoneBatteryReadout(percentage_, state_).text);
    return QSize(qRound(padding * 3 + symbolSize * 1.3 + text), qRound(symbolSize + padding * 2));
}

void PhoneBatteryOverlay::paintEvent(QPaintEvent*) {
    const PhoneBatteryReadout readout = phoneBatteryReadout(percentage_, state_);
    const QColor color = guideColor(readout.color);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGuidePlate(painter, rect(), 10);
    const QRectF symbol(padding, padding, symbolSize * 1.3, symbolSize);
    drawOverlayGlyph(painter, readout.symbol, symbol, color);
    painter.setPen(color);
    painter.setFont(percentageFont());
    painter.drawText(QRectF(symbol.right() + padding, 0, width() - symbol.right() - padding, height()),
                     Qt::AlignVCenter | Qt::AlignLeft, readout.text);
}

}  // namespace Quillfen
