#include "Monitor/CameraLevelOverlay.hpp"

#include <QPainter>

#include "Monitor/CameraLevelDisplay.hpp"
#include "Monitor/GuideStyle.hpp"
#include "Monitor/OverlayGlyphs.hpp"

namespace Quillfen {

namespace {

const QSize readingSize(210, 68);
constexpr double bubbleDiameter = 54;
constexpr double targetDiameter = 30;
constexpr double dotDiameter = 13;
const QSizeF barSize(190, 2);

QFont placeholderFont() { return guideFont(13, QFont::DemiBold); }

}  // namespace

CameraLevelOverlay::CameraLevelOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName("Camera level");
}

void CameraLevelOverlay::setReading(const std::optional<CameraLevelReading>& reading, bool hasTelemetry) {
    if (reading == reading_ && hasTelemetry == hasTelemetry_) return;
    const bool resized = reading.has_value() != reading_.has_value() || hasTelemetry != hasTelemetry_;
    reading_ = reading;
    hasTelemetry_ = hasTelemetry;
    setAccessibleDescription(reading ? CameraLevelDisplay::anglesText(*reading)
                                     : CameraLevelDisplay::placeholderText(hasTelemetry));
    if (resized) updateGeometry();
    update();
}

QSize CameraLevelOverlay::sizeHint() const {
    if (reading_) return readingSize;
    const QFontMetrics metrics(placeholderFont());
    return QSize(metrics.horizontalAdvance(CameraLevelDisplay::placeholderText(hasTelemetry_)) + 52, 34);
}

void CameraLevelOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (reading_)
        paintReading(painter, *reading_);
    else
        paintPlaceholder(painter);
}

void CameraLevelOverlay::paintPlaceholder(QPainter& painter) {
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    drawGuidePlate(painter, box, box.height() / 2);
    drawOverlayGlyph(painter, "level", QRectF(box.left() + 12, box.center().y() - 9, 18, 18), Qt::white);
    painter.setPen(Qt::white);
    painter.setFont(placeholderFont());
    painter.drawText(box.adjusted(38, 0, -12, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     CameraLevelDisplay::placeholderText(hasTelemetry_));
}

void CameraLevelOverlay::paintReading(QPainter& painter, const CameraLevelReading& reading) {
    const QRectF panel((width() - readingSize.width()) / 2.0, (height() - readingSize.height()) / 2.0,
                       readingSize.width(), readingSize.height());
    drawGuidePlate(painter, panel, 10);
    const QColor indicator = guideColor(CameraLevelDisplay::indicatorColor(reading));

    // The two bars across the panel: the fixed reference and the one that rolls with the phone.
    const QPointF centre = panel.center();
    const QRectF bar(-barSize.width() / 2, -barSize.height() / 2, barSize.width(), barSize.height());
    painter.setPen(Qt::NoPen);
    painter.save();
    painter.translate(centre);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.45));
    painter.drawRoundedRect(bar, 1, 1);
    painter.rotate(-reading.rollDegrees);
    painter.setBrush(indicator);
    painter.drawRoundedRect(bar, 1, 1);
    painter.restore();

    // The bubble on the left: cross-hair, target ring and the dot.
    const QPointF bubble(panel.left() + 8 + bubbleDiameter / 2, panel.top() + 7 + bubbleDiameter / 2);
    painter.setBrush(QColor(0, 0, 0, 120));
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.5), 1));
    painter.drawEllipse(bubble, bubbleDiameter / 2, bubbleDiameter / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.35));
    painter.drawRect(QRectF(bubble.x() - 0.5, bubble.y() - bubbleDiameter / 2, 1, bubbleDiameter));
    painter.drawRect(QRectF(bubble.x() - bubbleDiameter / 2, bubble.y() - 0.5, bubbleDiameter, 1));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.6), 1));
    painter.drawEllipse(bubble, targetDiameter / 2, targetDiameter / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(indicator);
    painter.drawEllipse(bubble + CameraLevelDisplay::bubbleOffset(reading), dotDiameter / 2, dotDiameter / 2);

    // The three angles stacked to the right of the bubble, one a line.
    painter.setPen(Qt::white);
    painter.setFont(guideFont(12, QFont::DemiBold));
    const QString angles = CameraLevelDisplay::anglesText(reading).split("   ").join("\n");
    painter.drawText(QRectF(panel.right() - 84, panel.top(), 76, panel.height()), Qt::AlignRight | Qt::AlignVCenter,
                     angles);
}

}  // namespace Quillfen
