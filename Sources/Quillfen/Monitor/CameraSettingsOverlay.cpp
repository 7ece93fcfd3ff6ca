#include "Monitor/CameraSettingsOverlay.hpp"

#include <QPainter>

#include "Monitor/GuideStyle.hpp"

namespace Quillfen {

namespace {

constexpr double padding = 10;
constexpr double columnGap = 10;  // on each side of a divider

QFont headerFont() { return guideFont(10, QFont::DemiBold); }
QFont valueFont() { return guideFont(14, QFont::DemiBold); }

}  // namespace

CameraSettingsOverlay::CameraSettingsOverlay(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName("Camera image settings");
}

void CameraSettingsOverlay::setStatus(const UmberlinWire::CameraControlStatus& status) {
    const CameraSettingsReadout readout = cameraSettingsReadout(status.state);
    if (readout == readout_ && !accessibleDescription().isEmpty()) return;
    readout_ = readout;
    setAccessibleDescription(accessibilityValue(readout));
    updateGeometry();
    update();
}

std::vector<std::pair<QString, QString>> CameraSettingsOverlay::columns() const {
    std::vector<std::pair<QString, QString>> columns;
    if (readout_.focus) columns.emplace_back("FOCUS", *readout_.focus);
    columns.emplace_back("EXPOSURE", readout_.exposure);
    columns.emplace_back("SHUTTER", readout_.shutter);
    columns.emplace_back("ISO", readout_.iso);
    return columns;
}

QSize CameraSettingsOverlay::sizeHint() const {
    const QFontMetrics header(headerFont());
    const QFontMetrics value(valueFont());
    double width = padding * 2;
    const auto shown = columns();
    for (const auto& [title, text] : shown)
        width += std::max(header.horizontalAdvance(title), value.horizontalAdvance(text));
    width += (static_cast<double>(shown.size()) - 1) * columnGap * 2;
    return QSize(qRound(width) + 1, qRound(padding * 2 + header.height() + 2 + value.height()));
}

void CameraSettingsOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    drawGuidePlate(painter, rect(), 10);
    const QFontMetrics header(headerFont());
    const QFontMetrics value(valueFont());
    double x = padding;
    bool first = true;
    for (const auto& [title, text] : columns()) {
        if (!first) {
            painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.3), 1));
            painter.drawLine(QPointF(x + columnGap, padding), QPointF(x + columnGap, height() - padding));
            x += columnGap * 2;
        }
        first = false;
        painter.setFont(headerFont());
        painter.setPen(QColor::fromRgbF(1, 1, 1, 0.65));
        painter.drawText(QPointF(x, padding + header.ascent()), title);
        painter.setFont(valueFont());
        painter.setPen(Qt::white);
        painter.drawText(QPointF(x, padding + header.height() + 2 + value.ascent()), text);
        x += std::max(header.horizontalAdvance(title), value.horizontalAdvance(text));
    }
}

}  // namespace Quillfen
