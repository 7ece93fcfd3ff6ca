#include "Monitor/SystemSymbols.hpp"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>

#include <functional>
#include <map>
#include <vector>

namespace Quillfen {

namespace {

using Drawing = std::function<void(QPainter&)>;

struct Symbol {
    std::vector<QString> themeNames;  // tried in order
    Drawing drawing;                  // on a 24 x 24 canvas
};

// GNOME's theme (Debian's adwaita-icon-theme).
constexpr const char* iconThemeName = "Adwaita";

void drawCircle(QPainter& painter) { painter.drawEllipse(QRectF(4, 4, 16, 16)); }

const std::map<QString, Symbol>& symbols() {
    static const std::map<QString, Symbol> table{
        {"arrow.clockwise",
         {{"view-refresh"}, [](QPainter& p) { p.drawArc(QRectF(5, 5, 14, 14), 90 * 16, -300 * 16); }}},
        {"arrow.left.and.right",
         {{"object-flip-horizontal"},
          [](QPainter& p) {
              p.drawLine(QPointF(4, 12), QPointF(20, 12));
              p.drawPolyline(QPolygonF({{8, 8}, {4, 12}, {8, 16}}));
              p.drawPolyline(QPolygonF({{16, 8}, {20, 12}, {16, 16}}));
          }}},
        {"arrow.up.and.down",
         {{"object-flip-vertical"},
          [](QPainter& p) {
              p.drawLine(QPointF(12, 4), QPointF(12, 20));
              p.drawPolyline(QPolygonF({{8, 8}, {12, 4}, {16, 8}}));
              p.drawPolyline(QPolygonF({{8, 16}, {12, 20}, {16, 16}}));
          }}},
        {"grid",
         {{},
          [](QPainter& p) {
              p.drawRect(QRectF(4, 4, 16, 16));
              for (double at : {9.33, 14.67}) {
                  p.drawLine(QPointF(at, 4), QPointF(at, 20));
                  p.drawLine(QPointF(4, at), QPointF(20, at));
              }
          }}},
        {"level",
         {{},
          [](QPainter& p) {
              p.drawRoundedRect(QRectF(3, 8, 18, 8), 4, 4);
              p.drawEllipse(QRectF(10, 10, 4, 4));
          }}},
        {"scope",
         {{},
          [](QPainter& p) {
              drawCircle(p);
              p.drawLine(QPointF(12, 2), QPointF(12, 8));
              p.drawLine(QPointF(12, 16), QPointF(12, 22));
              p.drawLine(QPointF(2, 12), QPointF(8, 12));
              p.drawLine(QPointF(16, 12), QPointF(22, 12));
          }}},
        {"waveform",
         {{"microphone-sensitivity-high", "audio-volume-high"},
          [](QPainter& p) {
              const double heights[] = {4, 10, 16, 8, 12, 6};
              for (int bar = 0; bar < 6; ++bar) {
                  const double x = 4.5 + bar * 3;
                  p.drawLine(QPointF(x, 12 - heights[bar] / 2), QPointF(x, 12 + heights[bar] / 2));
              }
          }}},
        {"info.circle",
         {{},
          [](QPainter& p) {
              drawCircle(p);
              p.drawLine(QPointF(12, 11), QPointF(12, 16));
              p.drawPoint(QPointF(12, 8));
          }}},
        {"camera.aperture",
         {{"camera-photo"},
          [](QPainter& p) {
              drawCircle(p);
              for (int blade = 0; blade < 6; ++blade) {
                  p.save();
                  p.translate(12, 12);
                  p.rotate(blade * 60);
                  p.drawLine(QPointF(-3, -3.5), QPointF(5, -6));
                  p.restore();
              }
          }}},
        {"text.quote",
         {{"insert-text", "accessories-text-editor"},
          [](QPainter& p) {
              for (double y : {7.0, 12.0, 17.0}) p.drawLine(QPointF(4, y), QPointF(y == 17 ? 14 : 20, y));
          }}},
        {"folder",
         {{"folder"},
          [](QPainter& p) {
              p.drawPolygon(QPolygonF({{3, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 19}, {3, 19}}));
          }}},
        // On the red Record button: drawn in the light pen, as the theme's red icons would vanish.
        {"record.circle",
         {{},
          [](QPainter& p) {
              drawCircle(p);
              p.setBrush(p.pen().color());
              p.drawEllipse(QRectF(8, 8, 8, 8));
          }}},
        {"stop.fill",
         {{},
          [](QPainter& p) {
              p.setBrush(p.pen().color());
              p.drawRoundedRect(QRectF(6, 6, 12, 12), 2, 2);
          }}},
        {"video.fill",
         {{"camera-video"},
          [](QPainter& p) {
              p.setBrush(p.pen().color());
              p.drawRoundedRect(QRectF(2, 7, 14, 10), 2, 2);
              p.drawPolygon(QPolygonF({{17, 12}, {22, 8}, {22, 16}}));
          }}},
        {"folder.badge.magnifyingglass",
         {{"system-file-manager", "folder"},
          [](QPainter& p) {
              p.drawPolygon(QPolygonF({{3, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 19}, {3, 19}}));
              p.drawEllipse(QRectF(10, 10, 6, 6));
              p.drawLine(QPointF(15.5, 15.5), QPointF(19, 19));
          }}},
        // The prompt's controls sit on a dark capsule over the picture: drawn in the light pen.
        {"play.fill",
         {{},
          [](QPainter& p) {
              p.setBrush(p.pen().color());
              p.drawPolygon(QPolygonF({{7, 5}, {19, 12}, {7, 19}}));
          }}},
        {"pause.fill",
         {{},
          [](QPainter& p) {
              p.setBrush(p.pen().color());
              p.drawRect(QRectF(7, 5, 3, 14));
              p.drawRect(QRectF(14, 5, 3, 14));
          }}},
        {"backward.end.fill",
         {{},
          [](QPainter& p) {
              p.setBrush(p.pen().color());
              p.drawRect(QRectF(5, 6, 2, 12));
              p.drawPolygon(QPolygonF({{19, 6}, {9, 12}, {19, 18}}));
          }}},
        {"pencil",
         {{},
          [](QPainter& p) {
              p.drawPolygon(QPolygonF({{5, 19}, {6, 15}, {16, 5}, {19, 8}, {9, 18}}));
              p.drawLine(QPointF(14, 7), QPointF(17, 10));
          }}},
        {"xmark",
         {{},
          [](QPainter& p) {
              p.drawLine(QPointF(6, 6), QPointF(18, 18));
              p.drawLine(QPointF(18, 6), QPointF(6, 18));
          }}},
        {"textformat.size",
         {{},
          [](QPainter& p) {
              p.drawPolyline(QPolygonF({{3, 19}, {9, 4}, {15, 19}}));
              p.drawLine(QPointF(5.5, 13), QPointF(12.5, 13));
              p.drawPolyline(QPolygonF({{14, 19}, {18, 10}, {22, 19}}));
          }}},
        {"lock.shield",
         {{"preferences-system-privacy", "security-medium"},
          [](QPainter& p) {
              p.drawPolygon(QPolygonF({{12, 3}, {20, 6}, {19, 14}, {12, 21}, {5, 14}, {4, 6}}));
          }}},
    };
    return table;
}

QIcon drawnIcon(const Drawing& drawing) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 24.0, size / 24.0);
        painter.setPen(QPen(QColor(0xE6, 0xE6, 0xE6), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        drawing(painter);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The theme's full-colour icons read on the window's dark colours whatever the desktop's own
// theme is (a light desktop theme draws dark glyphs), so they are looked up in that one theme
// rather than in the desktop's.
QIcon themeIcon(const std::vector<QString>& names) {
    static const QStringList themeFolders = QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QString("icons/") + iconThemeName, QStandardPaths::LocateDirectory);
    for (const QString& name : names) {
        QIcon icon;
        for (const QString& folder : themeFolders) {
            for (int size : {16, 22, 24, 32, 48}) {
                const QString file = QString("%1/%2x%2/legacy/%3.png").arg(folder).arg(size).arg(name);
                if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
            }
        }
        if (!icon.isNull()) return icon;
    }
    return {};
}

}  // namespace

QIcon systemSymbolIcon(const QString& symbolName) {
    const auto symbol = symbols().find(symbolName);
    if (symbol == symbols().end()) return drawnIcon(drawCircle);
    QIcon icon = themeIcon(symbol->second.themeNames);
    return icon.isNull() ? drawnIcon(symbol->second.drawing) : icon;
}

}  // namespace Quillfen
