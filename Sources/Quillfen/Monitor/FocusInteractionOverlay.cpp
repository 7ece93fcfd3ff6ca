#include "Monitor/FocusInteractionOverlay.hpp"

#include <QMouseEvent>

#include "Monitor/FocusPointMapping.hpp"
#include "Monitor/FocusReticle.hpp"

namespace Quillfen {

namespace {

const QString refocusHelp = "Click the image to refocus the phone camera";
// A press and release further apart than this are a drag, not a click.
constexpr double clickSlop = 6;

}  // namespace

FocusInteractionOverlay::FocusInteractionOverlay(QWidget* parent) : QWidget(parent) {
    setToolTip(refocusHelp);
    setAccessibleName("Camera focus area");
    setAccessibleDescription(refocusHelp + ".");
    setCursor(Qt::CrossCursor);
    reticle_ = new FocusReticle(this);
}

void FocusInteractionOverlay::setFeedbackPoint(const std::optional<QPointF>& point) {
    if (point)
        reticle_->appear(*point);
    else
        reticle_->disappear();
}

void FocusInteractionOverlay::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressedAt_ = event->position();
}

void FocusInteractionOverlay::mouseReleaseEvent(QMouseEvent* event) {
    const auto pressedAt = std::exchange(pressedAt_, std::nullopt);
    if (event->button() != Qt::LeftButton || !pressedAt) return;
    const QPointF location = event->position();
    if ((location - *pressedAt).manhattanLength() > clickSlop) return;
    if (const auto point = focusPointInPicture(size(), videoAspectRatio_, orientation_, location))
        emit refocusRequested(*point, location);
}

}  // namespace Quillfen
