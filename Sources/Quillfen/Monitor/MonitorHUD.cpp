#include "Monitor/MonitorHUD.hpp"

#include <QPainter>
#include <QRadialGradient>

#include "Monitor/GuideStyle.hpp"

namespace Quillfen {

namespace {

const QString badgeText = "CONNECTED";
constexpr double margin = 14;
constexpr double dotDiameter = 7;

}  // namespace

MonitorHUD::MonitorHUD(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(badgeText);
}

void MonitorHUD::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = guideFont(11, QFont::Bold);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QSizeF badge(metrics.horizontalAdvance(badgeText) + dotDiameter + 26, metrics.height() + 10);
    const QRectF capsule(width() - margin - badge.width(), margin, badge.width(), badge.height());
    drawGuidePlate(painter, capsule, capsule.height() / 2);

    const QPointF dot(capsule.left() + 10 + dotDiameter / 2, capsule.center().y());
    const QColor green = guideColor(GuideColor::green);
    QRadialGradient glow(dot, dotDiameter * 1.5);
    glow.setColorAt(0, QColor(green.red(), green.green(), green.blue(), 150));
    glow.setColorAt(1, Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(dot, dotDiameter * 1.5, dotDiameter * 1.5);
    painter.setBrush(green);
    painter.drawEllipse(dot, dotDiameter / 2, dotDiameter / 2);

    painter.setPen(Qt::white);
    painter.drawText(capsule.adjusted(10 + dotDiameter + 6, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, badgeText);
}

}  // namespace Quillfen
