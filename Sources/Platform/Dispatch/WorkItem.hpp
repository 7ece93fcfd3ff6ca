#pragma once
// A cancellable handle to work scheduled on a serial queue.

#include <atomic>
#include <functional>
#include <memory>

namespace UmberlinPlatform {

using Work = std::function<void()>;

class WorkItem {
public:
    explicit WorkItem(Work work);
    WorkItem(const WorkItem&) = delete;
    WorkItem& operator=(const WorkItem&) = delete;

    // After cancel returns, the work will not start (one already running finishes).
    // Callable from any thread, any number of times.
    void cancel();
    bool isCancelled() const;

    // Runs the work unless cancelled; the queue calls this once, on its own thread.
    // The work is released afterwards, so its captures do not outlive the run.
    void perform();

private:
    std::atomic<bool> cancelled_{false};
    Work work_;
};

using WorkItemHandle = std::shared_ptr<WorkItem>;

}  // namespace UmberlinPlatform
