#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "Dispatch/ThreadSerialQueue.hpp"

using namespace UmberlinPlatform;
using namespace std::chrono_literals;

namespace {

constexpr auto patience = 5s;

// Blocks the queue until released, so tests can pile up work behind it.
class Gate {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [&] { return open_; });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

void drain(SerialQueue& queue) {
    std::promise<void> done;
    queue.async([&] { done.set_value(); });
    ASSERT_EQ(done.get_future().wait_for(patience), std::future_status::ready);
}

}  // namespace

TEST(ThreadSerialQueue, RunsWorkOneAtATimeInSubmissionOrderOffTheCallersThread) {
    ThreadSerialQueue queue("org.umberlin.tests.network-camera");
    EXPECT_EQ(queue.label(), "org.umberlin.tests.network-camera");
    std::vector<int> order;  // touched only on the queue
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    std::atomic<bool> everCurrent{true};
    std::vector<std::thread> submitters;
    for (int submitter = 0; submitter < 2; ++submitter) {
        submitters.emplace_back([&, submitter] {
            for (int index = 0; index < 200; ++index) {
                queue.async([&, value = submitter * 1000 + index] {
                    if (running.fetch_add(1) != 0) overlapped = true;
                    if (!queue.isCurrent()) everCurrent = false;
                    order.push_back(value);
                    running.fetch_sub(1);
                });
            }
        });
    }
    for (std::thread& submitter : submitters) submitter.join();
    drain(queue);

    EXPECT_FALSE(overlapped);
    EXPECT_TRUE(everCurrent);
    EXPECT_FALSE(queue.isCurrent());
    ASSERT_EQ(order.size(), 400u);
    int lastOfFirst = -1, lastOfSecond = 999;  // each submitter's items keep their order
    for (int value : order) {
        int& last = value < 1000 ? lastOfFirst : lastOfSecond;
        EXPECT_GT(value, last);
        last = value;
    }
}

TEST(ThreadSerialQueue, DelayedWorkRunsNoEarlierThanAskedAndInDueOrderUnlessCancelled) {
    ThreadSerialQueue queue("org.umberlin.tests.delayed");
    std::mutex mutex;
    std::vector<std::string> order;
    auto record = [&](std::string name) {
        std::lock_guard lock(mutex);
        order.push_back(std::move(name));
    };
    const auto start = std::chrono::steady_clock::now();
    std::promise<std::chrono::steady_clock::duration> lateRan;
    queue.asyncAfter(60ms, [&] {
        record("late");
        lateRan.set_value(std::chrono::steady_clock::now() - start);
    });
    queue.asyncAfter(20ms, [&] { record("early"); });
    queue.asyncAfter(30ms, [&] { record("cancelled"); })->cancel();
    queue.async([&] { record("now"); });

    auto future = lateRan.get_future();
    ASSERT_EQ(future.wait_for(patience), std::future_status::ready);
    EXPECT_GE(future.get(), 60ms);
    std::lock_guard lock(mutex);
    EXPECT_EQ(order, (std::vector<std::string>{"now", "early", "late"}));
}

TEST(ThreadSerialQueue, CancellingFromTheQueueStopsAnItemThatFellDueMeanwhile) {
    // The receiver's time-out case: the time-out falls due while the queue is busy with the
    // connection's ready event, which cancels it. The time-out must not run afterwards.
    ThreadSerialQueue queue("org.umberlin.tests.cancel-due");
    Gate gate;
    std::atomic<bool> timeoutRan{false};
    WorkItemHandle timeout;
    const auto due = std::chrono::steady_clock::now() + 5ms;
    queue.async([&] {
        gate.wait();
        while (std::chrono::steady_clock::now() < due + 5ms) std::this_thread::yield();
        timeout->cancel();
    });
    timeout = queue.asyncAfter(5ms, [&] { timeoutRan = true; });
    gate.open();
    drain(queue);
    EXPECT_FALSE(timeoutRan);
}

TEST(ThreadSerialQueue, DestroyingRunsSubmittedWorkAndDropsDelayedWorkNotYetDue) {
    std::atomic<int> ran{0};
    std::atomic<bool> delayedRan{false};
    Gate gate;
    std::thread opener;
    {
        ThreadSerialQueue queue("org.umberlin.tests.destroy");
        queue.async([&] { gate.wait(); });
        for (int index = 0; index < 10; ++index) queue.async([&] { ++ran; });
        queue.asyncAfter(1h, [&] { delayedRan = true; });
        opener = std::thread([&] {
            std::this_thread::sleep_for(20ms);  // most likely opens while the destructor waits
            gate.open();
        });
    }  // waits for the ten items, not for the hour
    opener.join();
    EXPECT_EQ(ran, 10);
    EXPECT_FALSE(delayedRan);
}

TEST(ThreadSerialQueue, AnOwnerReleasedFromItsOwnQueueDestroysItWithoutDeadlock) {
    struct Owner {
        std::shared_ptr<SerialQueue> queue = makeSerialQueue("org.umberlin.tests.owner");
    };
    auto owner = std::make_shared<Owner>();
    std::promise<void> afterRelease;
    std::weak_ptr<Owner> weakOwner = owner;
    SerialQueue& queue = *owner->queue;
    queue.async([&, owner = std::move(owner)]() mutable {
        owner.reset();  // the last reference: the queue is destroyed on its own thread
        afterRelease.set_value();
    });
    ASSERT_EQ(afterRelease.get_future().wait_for(patience), std::future_status::ready);
    EXPECT_TRUE(weakOwner.expired());
}
