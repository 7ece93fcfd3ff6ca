#pragma once
// The real serial queue: one worker thread per queue.
//
// Destroying the queue lets the worker finish what was already due: every item submitted
// with async (and every delayed item whose time has come) still runs, in order; delayed
// items not yet due are dropped. Their owners are normally gone by then, so they would do
// nothing, while a late completion that must still be called is not lost.
// Destroyed from a foreign thread, the destructor waits for that. Destroyed from inside
// one of its own work items, it returns at once and the worker finishes on its own.

#include <memory>
#include <string>

#include "Dispatch/SerialQueue.hpp"

namespace UmberlinPlatform {

class ThreadSerialQueue final : public SerialQueue {
public:
    explicit ThreadSerialQueue(std::string label);
    ~ThreadSerialQueue() override;
    ThreadSerialQueue(const ThreadSerialQueue&) = delete;
    ThreadSerialQueue& operator=(const ThreadSerialQueue&) = delete;

    const std::string& label() const override;
    void async(Work work) override;
    WorkItemHandle asyncAfter(QueueDuration delay, Work work) override;
    bool isCurrent() const override;

    struct Shared;  // state shared with the worker thread

private:
    std::string label_;
    std::shared_ptr<Shared> shared_;
};

// A new real serial queue named `label`.
std::shared_ptr<SerialQueue> makeSerialQueue(std::string label);

}  // namespace UmberlinPlatform
