#include "Monitor/TeleprompterOverlay.hpp"

#include <QEvent>

#include <algorithm>

#include "Monitor/TeleprompterAppearancePreferences.hpp"
#include "Monitor/TeleprompterControlBar.hpp"
#include "Monitor/TeleprompterKeyboardMonitor.hpp"
#include "Monitor/TeleprompterTextViewport.hpp"
#include "Teleprompter/TeleprompterCardLayout.hpp"
#include "Teleprompter/TeleprompterController.hpp"

namespace Quillfen {

TeleprompterOverlay::TeleprompterOverlay(TeleprompterController& controller, DidaruzoriZeroroDidevuzadez& preferences,
                                         QWidget* parent)
    : QWidget(parent),
      controller_(controller),
      preferences_(preferences),
      viewport_(new TeleprompterTextViewport(controller.scrollPosition(), this)),
      controls_(new TeleprompterControlBar(controller, preferences)),
      keyboard_(new TeleprompterKeyboardMonitor(this, [this](double step) {
          // A step by hand ends the roll.
          controller_.pause();
          controller_.scrollPosition().scroll(step);
      })) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    connect(controls_, &TeleprompterControlBar::editScriptRequested, this, &TeleprompterOverlay::editScriptRequested);

    connect(&controller_, &TeleprompterController::scriptChanged, viewport_, &TeleprompterTextViewport::setScript);
    connect(&controller_, &TeleprompterController::isVisibleChanged, this, &TeleprompterOverlay::refreshVisibility);
    observeTeleprompterAppearance(preferences_, this, [this] { refreshAppearance(); });
    viewport_->setScript(controller_.script());
    refreshAppearance();
    refreshVisibility();
}

TeleprompterOverlay::~TeleprompterOverlay() { delete controls_; }

TeleprompterControlBar& TeleprompterOverlay::controls() { return *controls_; }

void TeleprompterOverlay::setVideoAspectRatio(std::optional<double> aspectRatio) {
    videoAspectRatio_ = aspectRatio;
    place();
}

bool TeleprompterOverlay::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::ParentChange:
            controls_->setParent(parentWidget());
            refreshVisibility();
            break;
        case QEvent::Resize:
        case QEvent::Move:
            place();
            break;
        case QEvent::ZOrderChange:
            // Whatever is raised over the overlay, the capsule stays in front of it.
            if (controls_->parentWidget()) controls_->raise();
            break;
        default:
            break;
    }
    return handled;
}

void TeleprompterOverlay::place() {
    const QRectF card = teleprompterCardFrame(size(), videoAspectRatio_);
    const int barWidth = std::min(controls_->sizeHint().width(), width());
    const QPointF barTop = geometry().topLeft() + QPointF(card.center().x() - barWidth / 2.0, card.top());
    controls_->setGeometry(barTop.toPoint().x(), barTop.toPoint().y(), barWidth, TeleprompterControlBar::barHeight);
    const double textTop = card.top() + TeleprompterControlBar::barHeight + teleprompterCardSpacing;
    viewport_->setGeometry(QRectF(card.left(), textTop, card.width(), card.bottom() - textTop).toRect());
}

void TeleprompterOverlay::refreshAppearance() { viewport_->setAppearance(teleprompterAppearance(preferences_)); }

void TeleprompterOverlay::refreshVisibility() {
    // Shown only inside a picture area, never as a window of its own.
    const bool visible = controller_.isVisible() && parentWidget();
    keyboard_->setActive(visible);
    setVisible(visible);
    controls_->setVisible(visible);
    if (visible) controls_->raise();
    place();
}

}  // namespace Quillfen
