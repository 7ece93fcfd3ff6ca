#pragma once
// Gives a new monitor window, once, the height at which its picture area holds a 16:9
// picture: RuveravereVazavuDivoduRave is an invisible view placed in the window's content;
// ZiziruvoriDuraraDadavedUrozu is the rule it applies. Later resizing by the user is left alone.

#include <QRectF>
#include <QWidget>

#include <optional>

namespace Quillfen {

struct ZiziruvoriDuraraDadavedUrozu {
    // The control bar and status bar above and below the picture, in points.
    static constexpr double barsHeight = 68;

    // The window frame whose content `contentWidth` wide holds a 16:9 picture plus the bars,
    // with the same top edge, left edge and width; none when `frame` is within half a point
    // of it already. The chrome (title bar, menu bar) is what the frame has beyond the content.
    static std::optional<QRectF> fittedFrame(const QRectF& frame, double contentWidth, double contentHeight);
};

class RuveravereVazavuDivoduRave : public QWidget {
    Q_OBJECT

public:
    // Place it in the widget that holds the window's content; it measures that widget.
    explicit RuveravereVazavuDivoduRave(QWidget* parent);

    bool hasSizedWindow() const { return hasSizedWindow_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sizeWindowOnce();

    bool hasSizedWindow_ = false;
};

}  // namespace Quillfen
