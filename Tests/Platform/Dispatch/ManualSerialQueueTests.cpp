#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Support/ManualSerialQueue.hpp"

using namespace UmberlinPlatform;
using namespace std::chrono_literals;

TEST(ManualSerialQueue, NothingRunsUntilTheTestSaysSoThenInOrder) {
    ManualSerialQueue queue;
    std::vector<int> order;
    queue.async([&] {
        order.push_back(1);
        EXPECT_TRUE(queue.isCurrent());
        queue.async([&] { order.push_back(3); });  // submitted while running: after the rest
    });
    queue.async([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(queue.readyCount(), 2u);

    EXPECT_TRUE(queue.runOne());
    EXPECT_EQ(order, std::vector<int>{1});
    EXPECT_EQ(queue.runAllReady(), 2u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(queue.runOne());
    EXPECT_FALSE(queue.isCurrent());
}

TEST(ManualSerialQueue, AdvancingVirtualTimeRunsDueItemsInTimeOrderAtTheirOwnMoment) {
    ManualSerialQueue queue;
    std::vector<std::string> log;
    auto stamp = [&](const std::string& name) {
        return [&, name] {
            log.push_back(name + "@" +
                          std::to_string(std::chrono::duration_cast<std::chrono::seconds>(queue.now()).count()));
        };
    };
    queue.asyncAfter(8s, stamp("timeout"));
    queue.asyncAfter(2s, [&, chained = stamp("chained")] {
        stamp("first")();
        queue.asyncAfter(3s, chained);  // due at 5 s, inside the same advance
    });
    queue.asyncAfter(9s, stamp("beyond"));

    EXPECT_EQ(queue.advance(7s), 2u);
    EXPECT_EQ(log, (std::vector<std::string>{"first@2", "chained@5"}));
    EXPECT_EQ(queue.now(), 7s);
    EXPECT_EQ(queue.advance(1s), 1u);
    EXPECT_EQ(log.back(), "timeout@8");
    EXPECT_EQ(queue.pendingCount(), 1u);
}

TEST(ManualSerialQueue, CancelledItemsNeverRunAndDoNotCount) {
    ManualSerialQueue queue;
    bool ran = false;
    WorkItemHandle timeout = queue.asyncAfter(8s, [&] { ran = true; });
    queue.async([&] { timeout->cancel(); });
    EXPECT_EQ(queue.pendingCount(), 2u);
    queue.runAllReady();
    EXPECT_EQ(queue.pendingCount(), 0u);
    EXPECT_EQ(queue.advance(8s), 0u);
    EXPECT_FALSE(ran);
}

TEST(ManualSerialQueue, PostingToItStandsInForTheMainThread) {
    ManualSerialQueue main("main");
    PostToMain postToMain = main.postToThisQueue();
    int value = 0;
    postToMain([&] { value = 42; });
    EXPECT_EQ(value, 0);
    main.runAllReady();
    EXPECT_EQ(value, 42);
}
