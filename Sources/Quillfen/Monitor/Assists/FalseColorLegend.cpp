#include "Monitor/Assists/FalseColorLegend.hpp"

#include <QPainter>

#include <cmath>

#include "Monitor/Assists/FalseColorScale.hpp"

namespace Quillfen::Monitor {
namespace {

constexpr int swatchWidth = 34;
constexpr int narrowestSwatch = 18;  // still wide enough for its label
constexpr int swatchHeight = 12;
constexpr int margin = 6;
constexpr int labelHeight = 14;

QString scaleDescription() {
    QStringList parts;
    double from = 0;
    for (const auto& band : falseColorScale) {
        parts << QStringLiteral("%1 from %2 percent")
                     .arg(QString::fromUtf8(band.name.data(), band.name.size()))
                     .arg(std::lround(from * 100));
        from = band.below;
    }
    return parts.join(QStringLiteral(", "));
}

}  // namespace

FalseColorLegend::FalseColorLegend(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("False color scale"));
    setAccessibleDescription(scaleDescription());
    resize(sizeHint());
}

QSize FalseColorLegend::sizeHint() const {
    return {static_cast<int>(falseColorScale.size()) * swatchWidth + 2 * margin,
            swatchHeight + labelHeight + 2 * margin};
}

QSize FalseColorLegend::minimumSizeHint() const {
    return {static_cast<int>(falseColorScale.size()) * narrowestSwatch + 2 * margin, sizeHint().height()};
}

void FalseColorLegend::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRoundedRect(rect(), 6, 6);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    // The swatches share the width the legend was given.
    const double swatch = (width() - 2.0 * margin) / static_cast<double>(falseColorScale.size());
    double from = 0;
    double x = margin;
    for (const auto& band : falseColorScale) {
        painter.fillRect(QRectF(x, margin, swatch, swatchHeight),
                         QColor::fromRgbF(band.rgb[0], band.rgb[1], band.rgb[2]));
        painter.setPen(Qt::white);
        painter.drawText(QRectF(x, margin + swatchHeight, swatch, labelHeight), Qt::AlignCenter,
                         QString::number(std::lround(from * 100)));
        painter.setPen(Qt::NoPen);
        from = band.below;
        x += swatch;
    }
}

}  // namespace Quillfen::Monitor
