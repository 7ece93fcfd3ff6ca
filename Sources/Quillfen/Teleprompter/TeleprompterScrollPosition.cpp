#include "Teleprompter/TeleprompterScrollPosition.hpp"

#include <algorithm>
#include <cmath>

namespace Quillfen {

TeleprompterScrollPosition::TeleprompterScrollPosition(QObject* parent) : QObject(parent) {}

void TeleprompterScrollPosition::setContentHeight(double height) {
    contentHeight_ = height;
    updateScrollBounds();
}

void TeleprompterScrollPosition::setViewportHeight(double height) {
    viewportHeight_ = height;
    updateScrollBounds();
}

void TeleprompterScrollPosition::scroll(double by) {
    // A non-finite step (from a broken measurement upstream) would poison the offset for good.
    if (!std::isfinite(by)) return;
    moveOffset(std::clamp(offset_ + by, 0.0, maximumOffset_));
}

void TeleprompterScrollPosition::rewind() { moveOffset(0); }

bool TeleprompterScrollPosition::isAtEnd() const {
    return maximumOffset_ > 0 && offset_ >= maximumOffset_ - changeTolerance;
}

void TeleprompterScrollPosition::updateScrollBounds() {
    const double span = contentHeight_ - viewportHeight_;
    maximumOffset_ = std::isfinite(span) ? std::max(span, 0.0) : 0.0;
    moveOffset(std::min(offset_, maximumOffset_));
}

void TeleprompterScrollPosition::moveOffset(double target) {
    if (std::abs(offset_ - target) <= changeTolerance) return;
    offset_ = target;
    emit offsetChanged(offset_);
}

}  // namespace Quillfen
