#include "Monitor/VideoScopePlots.hpp"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "Monitor/GuideStyle.hpp"

namespace Quillfen {

namespace {

using Monitor::LevelCounts;
using Monitor::videoScopeLevelCount;
using Monitor::VideoScopeReadings;

constexpr QSizeF plotSize(256, 112);
constexpr double titleHeight = 16;
constexpr double labelWidth = 26;   // the waveform's level labels, left of its plot
constexpr double labelHeight = 14;  // the histogram's level labels, under its plot
constexpr double padding = 8;
constexpr std::array<int, 5> graticulePercents{0, 25, 50, 75, 100};

// Where a level (on the 256-step scale) lies from 0 to 1 along a plot's level axis.
double levelFraction(double level) { return (level + 0.5) / videoScopeLevelCount; }

double percentFraction(const VideoScopeReadings& readings, int percent) {
    return levelFraction(readings.black + (readings.white - readings.black) * percent / 100.0);
}

QColor graticuleColor() { return QColor(255, 255, 255, 80); }

// The plot's share of a level's count: the tallest level inside the range fills the height;
// the two ends, where clipped samples gather, are cut off at the top instead of flattening the rest.
// Heights go with the square root of the count, so that a small area of the picture (a ramp, a
// face against a large background) still shows beside the peak of the background.
QPainterPath histogramShape(const QRectF& plot, const LevelCounts& counts) {
    const auto peak = std::max<std::uint32_t>(1, *std::max_element(counts.begin() + 1, counts.end() - 1));
    QPainterPath shape(plot.bottomLeft());
    const double levelWidth = plot.width() / videoScopeLevelCount;
    for (int level = 0; level < videoScopeLevelCount; ++level) {
        const double share = std::min(1.0, std::sqrt(static_cast<double>(counts[level]) / peak));
        const double top = plot.bottom() - share * plot.height();
        shape.lineTo(plot.left() + level * levelWidth, top);
        shape.lineTo(plot.left() + (level + 1) * levelWidth, top);
    }
    shape.lineTo(plot.bottomRight());
    shape.closeSubpath();
    return shape;
}

void drawHistogram(QPainter& painter, const QRectF& plot, const VideoScopeReadings& readings) {
    painter.setFont(guideFont(9));
    for (int percent : graticulePercents) {
        const double x = plot.left() + percentFraction(readings, percent) * plot.width();
        painter.setPen(graticuleColor());
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(QColor(255, 255, 255, 190));
        painter.drawText(QRectF(x - 15, plot.bottom() + 1, 30, labelHeight), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(percent));
    }
    if (readings.rgb) {
        const std::array<QColor, 3> colors{QColor(255, 40, 40, 150), QColor(40, 230, 40, 150),
                                           QColor(60, 90, 255, 170)};
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        painter.setPen(Qt::NoPen);
        for (std::size_t channel = 0; channel < colors.size(); ++channel) {
            painter.setBrush(colors[channel]);
            painter.drawPath(histogramShape(plot, (*readings.rgb)[channel]));
        }
        painter.restore();
    }
    if (readings.luma) {
        painter.setPen(QPen(QColor(255, 255, 255, 230), 1));
        painter.setBrush(readings.rgb ? QColor(Qt::transparent) : QColor(230, 230, 230, 140));
        painter.drawPath(histogramShape(plot, *readings.luma));
    }
}

// The trace at the plot's own pixel size: each pixel row gathers the levels it covers (so no
// level falls between rows when the plot is shorter than the scale), and its brightness says
// how many of the column's samples lie there against an even spread over the whole height. A
// level with a handful of samples stays clearly visible in green; from about an eighth of the
// column on, a row is white, so the picture's large areas stand out as solid bands. Each lit
// row glows faintly into its neighbours, which makes a one-pixel trace easy to follow.
QImage waveformTrace(const std::vector<LevelCounts>& columns, QSize pixels) {
    QImage trace(pixels, QImage::Format_ARGB32_Premultiplied);
    trace.fill(Qt::transparent);
    const int rows = pixels.height();
    std::vector<double> strengths(rows);  // of one column, top row first; negative: unlit
    for (int x = 0; x < pixels.width(); ++x) {
        const LevelCounts& counts = columns[static_cast<std::size_t>(x) * columns.size() / pixels.width()];
        std::fill(strengths.begin(), strengths.end(), 0.0);
        double total = 0;
        for (int level = 0; level < videoScopeLevelCount; ++level) {
            const int row = std::min(rows - 1, static_cast<int>(levelFraction(level) * rows));
            strengths[rows - 1 - row] += counts[level];
            total += counts[level];
        }
        if (total == 0) continue;
        for (double& strength : strengths) {
            const double density = strength / total * rows;  // 1: an even spread
            strength = strength == 0 ? -1 : std::min(1.0, std::sqrt(density / 8));
        }
        for (int y = 0; y < rows; ++y) {
            const double strength = strengths[y];
            if (strength >= 0) {
                const int alpha = static_cast<int>(std::lround(140 + 115 * strength));
                trace.setPixel(x, y, qPremultiply(qRgba(150 + 105 * strength, 255, 160 + 95 * strength, alpha)));
                continue;
            }
            const double neighbour = std::max(y > 0 ? strengths[y - 1] : -1, y + 1 < rows ? strengths[y + 1] : -1);
            if (neighbour >= 0)
                trace.setPixel(x, y,
                               qPremultiply(qRgba(120, 230, 140, static_cast<int>(std::lround(50 + 40 * neighbour)))));
        }
    }
    return trace;
}

void drawWaveform(QPainter& painter, const QRectF& plot, const VideoScopeReadings& readings) {
    painter.setFont(guideFont(9));
    for (int percent : graticulePercents) {
        const double y = plot.bottom() - percentFraction(readings, percent) * plot.height();
        painter.setPen(graticuleColor());
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(QColor(255, 255, 255, 190));
        painter.drawText(QRectF(plot.left() - labelWidth, y - 7, labelWidth - 4, 14), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(percent));
    }
    if (readings.waveform.empty()) return;
    const double scale = painter.device()->devicePixelRatioF() * painter.worldTransform().m22();
    QImage trace = waveformTrace(readings.waveform, (plot.size() * scale).toSize());
    trace.setDevicePixelRatio(scale);
    painter.drawImage(plot.topLeft(), trace);
}

}  // namespace

QSizeF videoScopePlateSize() {
    return {padding + labelWidth + plotSize.width() + padding,
            padding + titleHeight + plotSize.height() + labelHeight + padding};
}

void drawVideoScope(QPainter& painter, const QRectF& plate, VideoScope scope, const VideoScopeReadings& readings) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawGuidePlate(painter, plate, 6);
    const QRectF plot(plate.left() + padding + labelWidth, plate.top() + padding + titleHeight, plotSize.width(),
                      plotSize.height());
    painter.fillRect(plot,
                     QColor(0, 0, 0, 110));  // a darker ground, so the picture behind does not mix into the traces
    painter.setFont(guideFont(10, QFont::Bold));
    painter.setPen(Qt::white);
    painter.drawText(
        QRectF(plate.left() + padding, plate.top() + padding - 2, plate.width() - 2 * padding, titleHeight),
        Qt::AlignLeft | Qt::AlignTop,
        scope == VideoScope::histogram ? (readings.rgb ? "HISTOGRAM  RGB" : "HISTOGRAM") : "WAVEFORM");
    if (scope == VideoScope::histogram) {
        drawHistogram(painter, plot, readings);
    } else {
        drawWaveform(painter, plot, readings);
    }
    painter.restore();
}

}  // namespace Quillfen
