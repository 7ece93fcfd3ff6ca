#pragma once
// The layer over the live picture that turns a click into a focus point in the phone's own
// picture and shows the reticle where the window says the latest click was.

#include <QPointF>
#include <QWidget>

#include <optional>

#include "Monitor/PreviewLayout.hpp"

namespace Quillfen {

class FocusReticle;

class FocusInteractionOverlay : public QWidget {
    Q_OBJECT

public:
    explicit FocusInteractionOverlay(QWidget* parent = nullptr);

    // Width/height of the picture as displayed (already swapped for a quarter turn).
    void setVideoAspectRatio(double ratio) { videoAspectRatio_ = ratio; }
    void setOrientation(const Monitor::PreviewOrientation& orientation) { orientation_ = orientation; }
    // Where the reticle stands, in this layer's coordinates; none takes it away.
    void setFeedbackPoint(const std::optional<QPointF>& point);

signals:
    // A click on the picture: the point in the phone's picture (0...1, top-left origin) and
    // where the click was in this layer.
    void refocusRequested(QPointF picturePoint, QPointF location);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double videoAspectRatio_ = 0;
    Monitor::PreviewOrientation orientation_;
    std::optional<QPointF> pressedAt_;
    FocusReticle* reticle_;
};

}  // namespace Quillfen
