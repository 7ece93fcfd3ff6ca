#include "Dispatch/WorkItem.hpp"

namespace UmberlinPlatform {

WorkItem::WorkItem(Work work) : work_(std::move(work)) {}

void WorkItem::cancel() { cancelled_.store(true); }

bool WorkItem::isCancelled() const { return cancelled_.load(); }

void WorkItem::perform() {
    Work work = std::move(work_);
    work_ = nullptr;
    if (!isCancelled() && work) work();
}

}  // namespace UmberlinPlatform
