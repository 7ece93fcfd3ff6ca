#include "Monitor/TeleprompterKeyboardMonitor.hpp"

#include <QApplication>
#include <QKeyEvent>

#include "Teleprompter/TeleprompterManualStep.hpp"

namespace Quillfen {

TeleprompterKeyboardMonitor::TeleprompterKeyboardMonitor(QWidget* view, std::function<void(double)> scroll)
    : QObject(view), view_(view), scroll_(std::move(scroll)) {
    // Removed from the application when this object is destroyed.
    qApp->installEventFilter(this);
}

bool TeleprompterKeyboardMonitor::eventFilter(QObject* watched, QEvent* event) {
    // Key presses reach the window's system handle first and then the focused control; the
    // control's copy names the window a sheet or a dialog has of its own.
    if (event->type() != QEvent::KeyPress || !view_ || !watched->isWidgetType()) return false;
    const auto* press = static_cast<QKeyEvent*>(event);
    const auto step = teleprompterStep(
        {press->key(), press->modifiers(), static_cast<QWidget*>(watched)->window() == view_->window(), isActive_});
    if (!step) return false;
    scroll_(*step);
    return true;
}

}  // namespace Quillfen
