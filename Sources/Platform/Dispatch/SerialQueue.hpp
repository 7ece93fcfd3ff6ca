#pragma once
// The serial queue port: work runs one item at a time, in submission order, on the
// queue's own thread. The logic's objects keep all their state on one such queue and
// use no locks; work items hold their owner through a std::weak_ptr.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "Dispatch/WorkItem.hpp"

namespace UmberlinPlatform {

using QueueDuration = std::chrono::nanoseconds;

class SerialQueue {
public:
    virtual ~SerialQueue() = default;

    // The queue's name, e.g. "org.umberlin.rezuvidodo.network-camera".
    virtual const std::string& label() const = 0;

    // Runs `work` after everything submitted before it. Callable from any thread.
    virtual void async(Work work) = 0;

    // Runs `work` once `delay` has passed (no earlier), unless the returned item is cancelled
    // first. Delayed items due at the same moment run in submission order. Any thread.
    virtual WorkItemHandle asyncAfter(QueueDuration delay, Work work) = 0;

    // True only when called from inside one of this queue's work items.
    virtual bool isCurrent() const = 0;
};

// How objects living on background queues reach the main thread: the application hands
// in Qt's queued invocation, tests hand in a manually driven queue. Runs `work` later, on
// the main thread, in the order posted.
using PostToMain = std::function<void(Work work)>;

}  // namespace UmberlinPlatform
