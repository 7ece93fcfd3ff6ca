#include "Monitor/OverlayGlyphs.hpp"

#include <QPainter>
#include <QPainterPath>

namespace Quillfen {

namespace {

// Glyphs are drawn on a 24 x 24 canvas scaled into the box.
constexpr double canvas = 24;

double batteryFill(const QString& symbol) {
    if (symbol.startsWith("battery.25")) return 0.25;
    if (symbol.startsWith("battery.50")) return 0.5;
    if (symbol.startsWith("battery.75")) return 0.75;
    if (symbol.startsWith("battery.100")) return 1;
    return 0.06;  // a sliver: nearly empty
}

void drawBattery(QPainter& p, const QString& symbol, const QColor& color) {
    p.setPen(QPen(color, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 6.5, 19, 11), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(21.2, 9.5, 1.8, 5), 0.8, 0.8);
    p.drawRoundedRect(QRectF(3.5, 8.5, 15 * batteryFill(symbol), 7), 1.5, 1.5);
    if (symbol.endsWith(".bolt")) {
        // A dark bolt across the full bar.
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF({{12.5, 7}, {7.5, 12.8}, {10.8, 12.8}, {9.5, 17}, {14.5, 11.2}, {11.2, 11.2}}));
    }
}

void drawMicrophone(QPainter& p, const QColor& color, bool slashed) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(8.5, 2.5, 7, 12), 3.5, 3.5);
    p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5.5, 6, 13, 12), 180 * 16, 180 * 16);
    p.drawLine(QPointF(12, 18), QPointF(12, 21.5));
    if (slashed) p.drawLine(QPointF(4, 3), QPointF(20, 21));
}

void drawSilence(QPainter& p, const QColor& color) {
    p.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
    const double heights[] = {4, 10, 16, 8, 12, 5};
    for (int bar = 0; bar < 6; ++bar) {
        const double x = 3.5 + bar * 3.4;
        p.drawLine(QPointF(x, 12 - heights[bar] / 2), QPointF(x, 12 + heights[bar] / 2));
    }
    p.drawLine(QPointF(3, 3), QPointF(21, 21));
}

void drawLevel(QPainter& p, const QColor& color) {
    p.setPen(QPen(color, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(2, 8, 20, 8), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(9.5, 9.5, 5, 5));
}

void drawViewfinder(QPainter& p, const QColor& color) {
    p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (const auto& corner : {QPolygonF({{2, 7}, {2, 2}, {7, 2}}), QPolygonF({{17, 2}, {22, 2}, {22, 7}}),
                               QPolygonF({{22, 17}, {22, 22}, {17, 22}}), QPolygonF({{7, 22}, {2, 22}, {2, 17}})})
        p.drawPolyline(corner);
    p.drawLine(QPointF(12, 9), QPointF(12, 15));
    p.drawLine(QPointF(9, 12), QPointF(15, 12));
}

}  // namespace

void drawOverlayGlyph(QPainter& painter, const QString& symbol, const QRectF& box, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = std::min(box.width(), box.height()) / canvas;
    painter.translate(box.center() - QPointF(canvas, canvas) * scale / 2);
    painter.scale(scale, scale);
    if (symbol.startsWith("battery."))
        drawBattery(painter, symbol, color);
    else if (symbol == "mic.fill" || symbol == "mic.slash.fill")
        drawMicrophone(painter, color, symbol == "mic.slash.fill");
    else if (symbol == "waveform.slash")
        drawSilence(painter, color);
    else if (symbol == "level")
        drawLevel(painter, color);
    else if (symbol == "viewfinder")
        drawViewfinder(painter, color);
    else {
        painter.setPen(QPen(color, 1.6));
        painter.drawEllipse(QRectF(4, 4, 16, 16));
    }
    painter.restore();
}

}  // namespace Quillfen
