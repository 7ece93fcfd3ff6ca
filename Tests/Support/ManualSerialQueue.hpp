#pragma once
// A serial queue driven by the test, with virtual time: nothing runs until the test says
// so, and delayed work runs only when the test advances the clock past its time. It is
// single-threaded: submit and run from the test's thread only (pair it with fakes, not
// with real adapters whose threads submit work).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dispatch/SerialQueue.hpp"

namespace UmberlinPlatform {

class ManualSerialQueue final : public SerialQueue {
public:
    explicit ManualSerialQueue(std::string label = "org.umberlin.tests.manual");

    const std::string& label() const override;
    void async(Work work) override;
    WorkItemHandle asyncAfter(QueueDuration delay, Work work) override;
    bool isCurrent() const override;

    // Runs the next item that is due now; false when none is. Cancelled items are skipped.
    bool runOne();
    // Runs due items until none is left, including those they submit; returns how many ran.
    std::size_t runAllReady();
    // Moves virtual time forward by `duration`, running everything that falls due on the
    // way in time order (each at its own moment, `now()` set to it), then what is due at
    // the end. Returns how many items ran.
    std::size_t advance(QueueDuration duration);

    // Virtual time since the queue was made.
    QueueDuration now() const { return now_; }
    // Items waiting (due or not) that are not cancelled.
    std::size_t pendingCount() const;
    // Items due now that are not cancelled.
    std::size_t readyCount() const;

    // A PostToMain that submits to this queue (the queue must outlive its use).
    PostToMain postToThisQueue();

private:
    struct Entry {
        QueueDuration dueTime;
        std::uint64_t sequence;
        WorkItemHandle item;
    };
    void runEntryAt(std::size_t index);
    std::optional<std::size_t> nextDueIndex(QueueDuration until) const;

    std::string label_;
    QueueDuration now_{0};
    std::uint64_t nextSequence_ = 0;
    std::vector<Entry> entries_;
    int runningDepth_ = 0;
};

}  // namespace UmberlinPlatform
