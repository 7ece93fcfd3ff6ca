#include "Support/ManualSerialQueue.hpp"

#include <algorithm>
#include <optional>

namespace UmberlinPlatform {

ManualSerialQueue::ManualSerialQueue(std::string label) : label_(std::move(label)) {}

const std::string& ManualSerialQueue::label() const { return label_; }

void ManualSerialQueue::async(Work work) {
    entries_.push_back({now_, nextSequence_++, std::make_shared<WorkItem>(std::move(work))});
}

WorkItemHandle ManualSerialQueue::asyncAfter(QueueDuration delay, Work work) {
    auto item = std::make_shared<WorkItem>(std::move(work));
    entries_.push_back({now_ + std::max(delay, QueueDuration::zero()), nextSequence_++, item});
    return item;
}

bool ManualSerialQueue::isCurrent() const { return runningDepth_ > 0; }

std::optional<std::size_t> ManualSerialQueue::nextDueIndex(QueueDuration until) const {
    std::optional<std::size_t> best;
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        const Entry& entry = entries_[index];
        if (entry.dueTime > until) continue;
        if (!best || entry.dueTime < entries_[*best].dueTime ||
            (entry.dueTime == entries_[*best].dueTime && entry.sequence < entries_[*best].sequence)) {
            best = index;
        }
    }
    return best;
}

void ManualSerialQueue::runEntryAt(std::size_t index) {
    WorkItemHandle item = entries_[index].item;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    ++runningDepth_;
    item->perform();
    --runningDepth_;
}

bool ManualSerialQueue::runOne() {
    while (auto index = nextDueIndex(now_)) {
        bool cancelled = entries_[*index].item->isCancelled();
        if (cancelled) {
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*index));
            continue;
        }
        runEntryAt(*index);
        return true;
    }
    return false;
}

std::size_t ManualSerialQueue::runAllReady() {
    std::size_t count = 0;
    while (runOne()) ++count;
    return count;
}

std::size_t ManualSerialQueue::advance(QueueDuration duration) {
    const QueueDuration target = now_ + std::max(duration, QueueDuration::zero());
    std::size_t count = runAllReady();
    while (auto index = nextDueIndex(target)) {
        now_ = std::max(now_, entries_[*index].dueTime);
        count += runAllReady();
    }
    now_ = target;
    return count + runAllReady();
}

std::size_t ManualSerialQueue::pendingCount() const {
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& entry) { return !entry.item->isCancelled(); }));
}

std::size_t ManualSerialQueue::readyCount() const {
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return !entry.item->isCancelled() && entry.dueTime <= now_;
    }));
}

PostToMain ManualSerialQueue::postToThisQueue() {
    return [this](Work work) { async(std::move(work)); };
}

}  // namespace UmberlinPlatform
