#include "Teleprompter/TeleprompterController.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace Quillfen {

namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TeleprompterController::TeleprompterController(QObject* parent) : TeleprompterController(steadySeconds, parent) {}

TeleprompterController::TeleprompterController(Clock clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), scrollPosition_(this), rollTimer_(this) {
    // A precise 30 Hz timer on the main thread. Qt timers are serviced by every event loop of
    // the thread, including the nested ones that run while a menu is open or a slider is held,
    // so the roll keeps moving during those.
    rollTimer_.setTimerType(Qt::PreciseTimer);
    rollTimer_.setInterval(std::chrono::milliseconds(1000 / rollTicksPerSecond));
    connect(&rollTimer_, &QTimer::timeout, this, [this] { advance(clock_()); });
}

void TeleprompterController::setVisible(bool visible) {
    if (isVisible_ == visible) return;
    isVisible_ = visible;
    emit isVisibleChanged(isVisible_);
}

void TeleprompterController::present(const QString& script) {
    const bool isBlank = script.trimmed().isEmpty();
    const bool changed = script != script_;
    if (changed) {
        script_ = script;
        emit scriptChanged(script_);
    }
    setVisible(!isBlank);
    if (changed || isBlank) reset();
}

void TeleprompterController::pause() {
    rollTimer_.stop();
    setRolling(false);
    lastRollDate_.reset();
}

void TeleprompterController::reset() {
    pause();
    scrollPosition_.rewind();
}

void TeleprompterController::toggleRolling(double speedMultiplier) {
    if (isRolling_) {
        pause();
        return;
    }
    activeSpeedMultiplier_ = speedMultiplier;
    if (scrollPosition_.isAtEnd()) scrollPosition_.rewind();
    // Distance is measured from this moment, so the first tick moves by the time since the
    // roll was started.
    lastRollDate_ = clock_();
    setRolling(true);
    rollTimer_.start();
}

void TeleprompterController::advance(double now) {
    if (!isRolling_) {
        lastRollDate_.reset();
        return;
    }
    const double previous = lastRollDate_.value_or(now);
    lastRollDate_ = now;
    if (scrollPosition_.maximumOffset() <= 0) return;  // nothing to scroll; the roll stays on

    // Time-based: late or missed ticks do not slow the roll, and a stall moves at most a
    // quarter second's worth.
    const double elapsed = std::clamp(now - previous, 0.0, longestRollStep);
    scrollPosition_.scroll(clampedSpeedMultiplier() * elapsed * baseRollSpeed);
    if (scrollPosition_.isAtEnd()) pause();
}

void TeleprompterController::setRolling(bool rolling) {
    if (isRolling_ == rolling) return;
    isRolling_ = rolling;
    emit isRollingChanged(isRolling_);
}

double TeleprompterController::clampedSpeedMultiplier() const {
    // A speed read from hand-edited preferences may be "nan"; roll at the base speed then.
    if (std::isnan(activeSpeedMultiplier_)) return 1.0;
    return std::clamp(activeSpeedMultiplier_, minimumSpeedMultiplier, maximumSpeedMultiplier);
}

}  // namespace Quillfen
