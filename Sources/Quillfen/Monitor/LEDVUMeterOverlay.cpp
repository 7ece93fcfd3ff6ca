#include "Monitor/LEDVUMeterOverlay.hpp"

#include <QPainter>

#include "Monitor/AudioMeterDisplay.hpp"
#include "Monitor/GuideStyle.hpp"
#include "Monitor/OverlayGlyphs.hpp"

namespace Quillfen {

namespace {

constexpr double padding = 10;
constexpr double segmentWidth = 12;
constexpr double segmentGap = 2;
constexpr double segmentHeight = 24;
constexpr double headerHeight = 16;
constexpr double unlitOpacity = 0.13;
const double rowWidth = AudioMeterScale::segmentCount * segmentWidth + (AudioMeterScale::segmentCount - 1) * segmentGap;

}  // namespace

LEDVUMeterOverlay::LEDVUMeterOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QString::fromUtf8(audioMeterAccessibilityLabel.data(),
                                        static_cast<qsizetype>(audioMeterAccessibilityLabel.size())));
}

void LEDVUMeterOverlay::setMeter(const AudioMeterReading& reading, const AudioMeterStatus& status,
                                 const QString& inputName) {
    if (reading == reading_ && status == status_ && inputName == inputName_) return;
    reading_ = reading;
    status_ = status;
    inputName_ = inputName;
    setAccessibleDescription(QString::fromStdString(status.accessibilityValue(reading.levelDBFS)));
    update();
}

QSize LEDVUMeterOverlay::sizeHint() const {
    return QSize(qRound(rowWidth + padding * 2), qRound(padding * 2 + headerHeight + 6 + segmentHeight));
}

void LEDVUMeterOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGuidePlate(painter, rect(), 10);

    // Header: the microphone, its name from the phone and the level.
    const QRectF header(padding, padding, width() - padding * 2, headerHeight);
    drawOverlayGlyph(painter, "mic.fill", QRectF(header.left() - 2, header.top(), headerHeight, headerHeight),
                     Qt::white);
    const QString level = AudioMeterDisplay::levelText(reading_, status_);
    painter.setFont(guideFont(11, QFont::Bold));
    const QFontMetrics metrics = painter.fontMetrics();
    const double levelWidth = metrics.horizontalAdvance(level);
    painter.setPen(Qt::white);
    const QRectF mic = header.adjusted(headerHeight + 2, 0, 0, 0);
    painter.drawText(mic, Qt::AlignVCenter | Qt::AlignLeft, "MIC");
    const double nameLeft = mic.left() + metrics.horizontalAdvance("MIC") + 6;
    const double nameWidth = header.right() - levelWidth - 8 - nameLeft;
    painter.setFont(guideFont(11));
    painter.setPen(QColor::fromRgbF(1, 1, 1, 0.7));
    painter.drawText(QRectF(nameLeft, header.top(), std::max(nameWidth, 0.0), header.height()),
                     Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(inputName_, Qt::ElideRight, qRound(nameWidth)));
    painter.setFont(guideFont(11, QFont::Bold));
    painter.setPen(reading_.isClipping ? guideColor(GuideColor::red) : QColor(Qt::white));
    painter.drawText(header, Qt::AlignVCenter | Qt::AlignRight, level);

    const QRectF row(padding, header.bottom() + 6, rowWidth, segmentHeight);
    if (status_.kind() == AudioMeterStatus::Kind::running)
        paintSegments(painter, row);
    else
        paintStatusRow(painter, row);
}

void LEDVUMeterOverlay::paintSegments(QPainter& painter, const QRectF& row) {
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < AudioMeterScale::segmentCount; ++index) {
        QColor color = guideColor(AudioMeterDisplay::segmentColor(index));
        if (!AudioMeterDisplay::isSegmentLit(index, reading_)) color.setAlphaF(unlitOpacity);
        painter.setBrush(color);
        painter.drawRoundedRect(
            QRectF(row.left() + index * (segmentWidth + segmentGap), row.top(), segmentWidth, segmentHeight), 1.5, 1.5);
    }
}

void LEDVUMeterOverlay::paintStatusRow(QPainter& painter, const QRectF& row) {
    const AudioMeterDisplay::StatusRow status = AudioMeterDisplay::statusRow(status_);
    const QColor color = guideColor(status.color);
    drawOverlayGlyph(painter, status.symbol, QRectF(row.left(), row.center().y() - 9, 18, 18), color);
    painter.setPen(color);
    painter.setFont(guideFont(11, QFont::Bold, true));
    painter.drawText(row.adjusted(24, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, status.text);
}

}  // namespace Quillfen
