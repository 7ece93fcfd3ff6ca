#include "Monitor/FocusFeedback.hpp"

#include <QPointer>
#include <QTimer>

namespace Quillfen {

FocusFeedback::FocusFeedback(QObject* parent)
    : FocusFeedback([this](std::chrono::milliseconds delay,
                           std::function<void()> work) { QTimer::singleShot(delay, this, std::move(work)); },
                    parent) {}

FocusFeedback::FocusFeedback(Schedule schedule, QObject* parent) : QObject(parent), schedule_(std::move(schedule)) {}

void FocusFeedback::show(QPointF location) {
    const long generation = ++generation_;
    point_ = location;
    emit pointChanged();
    schedule_(shownFor, [self = QPointer(this), generation] {
        if (!self || self->generation_ != generation) return;
        self->point_.reset();
        emit self->pointChanged();
    });
}

}  // namespace Quillfen
