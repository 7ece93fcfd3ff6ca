#pragma once
// What a platform port reported from its serial queue: recorded under a lock by the handlers
// and awaited by the test with a bounded wait. Every report is checked to arrive on the queue.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "Dispatch/SerialQueue.hpp"

namespace UmberlinPlatform {

// `State` is a port's state report with a `kind` (a connection's or a browser's).
template <typename State> class QueueProbe {
public:
    QueueProbe(std::shared_ptr<SerialQueue> queue, std::chrono::milliseconds patience)
        : queue_(std::move(queue)), patience_(patience) {}

    std::function<void(const State&)> stateHandler() {
        return [this](const State& state) { record([&] { states_.push_back(state); }); };
    }

    // Runs `change` under the lock, from a handler on the queue, and wakes the waiting test.
    template <typename Change> void record(Change change) {
        std::lock_guard lock(mutex_);
        offQueue_ |= !queue_->isCurrent();
        change();
        changed_.notify_all();
    }

    // Waits until `condition`, evaluated under the lock, holds; false when patience runs out.
    bool waitUntil(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, patience_, condition);
    }

    bool waitForState(typename State::Kind kind) {
        return waitUntil([&] {
            return std::any_of(states_.begin(), states_.end(), [&](const State& state) { return state.kind == kind; });
        });
    }
    bool waitForAnyState() {
        return waitUntil([&] { return !states_.empty(); });
    }

    std::vector<typename State::Kind> kinds() {
        std::lock_guard lock(mutex_);
        std::vector<typename State::Kind> result;
        for (const State& state : states_) result.push_back(state.kind);
        return result;
    }
    State lastState() {
        std::lock_guard lock(mutex_);
        return states_.back();
    }
    bool everOffQueue() {
        std::lock_guard lock(mutex_);
        return offQueue_;
    }

private:
    std::shared_ptr<SerialQueue> queue_;
    std::chrono::milliseconds patience_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<State> states_;
    bool offQueue_ = false;
};

}  // namespace UmberlinPlatform
