#include "Dispatch/ThreadSerialQueue.hpp"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace UmberlinPlatform {

using Clock = std::chrono::steady_clock;

struct ThreadSerialQueue::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<WorkItemHandle> ready;
    // Ordered by due time, then by submission order.
    std::map<std::pair<Clock::time_point, std::uint64_t>, WorkItemHandle> delayed;
    std::uint64_t nextSequence = 0;
    bool closing = false;
    std::thread worker;

    void moveDueItemsToReady(Clock::time_point now) {
        while (!delayed.empty() && delayed.begin()->first.first <= now) {
            if (!delayed.begin()->second->isCancelled()) ready.push_back(std::move(delayed.begin()->second));
            delayed.erase(delayed.begin());
        }
    }

    void dropCancelledDelayedItems() {
        std::erase_if(delayed, [](const auto& entry) { return entry.second->isCancelled(); });
    }

    static void run(std::shared_ptr<Shared> shared) {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->moveDueItemsToReady(Clock::now());
            if (!shared->ready.empty()) {
                WorkItemHandle item = std::move(shared->ready.front());
                shared->ready.pop_front();
                lock.unlock();
                item->perform();
                item.reset();
                lock.lock();
                continue;
            }
            if (shared->closing) return;  // delayed items not yet due are dropped
            if (shared->delayed.empty()) {
                shared->wake.wait(lock);
            } else {
                shared->wake.wait_until(lock, shared->delayed.begin()->first.first);
            }
        }
    }
};

ThreadSerialQueue::ThreadSerialQueue(std::string label)
    : label_(std::move(label)), shared_(std::make_shared<Shared>()) {
    shared_->worker = std::thread(&Shared::run, shared_);
}

ThreadSerialQueue::~ThreadSerialQueue() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->closing = true;
    }
    shared_->wake.notify_one();
    if (isCurrent()) {
        shared_->worker.detach();  // the worker keeps `shared_` alive and ends after this item
    } else {
        shared_->worker.join();
    }
}

const std::string& ThreadSerialQueue::label() const { return label_; }

void ThreadSerialQueue::async(Work work) {
    // The work may release this queue before async returns; `shared` keeps what is left to do alive.
    std::shared_ptr<Shared> shared = shared_;
    {
        std::lock_guard lock(shared->mutex);
        shared->ready.push_back(std::make_shared<WorkItem>(std::move(work)));
    }
    shared->wake.notify_one();
}

WorkItemHandle ThreadSerialQueue::asyncAfter(QueueDuration delay, Work work) {
    auto item = std::make_shared<WorkItem>(std::move(work));
    const Clock::time_point due = Clock::now() + std::chrono::duration_cast<Clock::duration>(delay);
    std::shared_ptr<Shared> shared = shared_;
    {
        std::lock_guard lock(shared->mutex);
        shared->dropCancelledDelayedItems();
        shared->delayed.emplace(std::make_pair(due, shared->nextSequence++), item);
    }
    shared->wake.notify_one();
    return item;
}

bool ThreadSerialQueue::isCurrent() const { return std::this_thread::get_id() == shared_->worker.get_id(); }

std::shared_ptr<SerialQueue> makeSerialQueue(std::string label) {
    return std::make_shared<ThreadSerialQueue>(std::move(label));
}

}  // namespace UmberlinPlatform
