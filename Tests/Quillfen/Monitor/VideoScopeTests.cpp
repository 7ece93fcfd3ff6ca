// The scopes: counts of synthetic pictures at 8 and 10 bits in both ranges, the waveform of a
// left-to-right ramp, and the worker, which takes a picture only when it is free for one.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "Monitor/VideoScopeMeasurement.hpp"
#include "Monitor/VideoScopeWorker.hpp"
#include "Support/ManualSerialQueue.hpp"
#include "SyntheticLumaFrames.hpp"

namespace Quillfen::Monitor {
namespace {

using Video::ColorRange;

// A BT.709 4:2:0 picture whose luma code at (x, y) is `luma(x, y)`, its chroma all `cb`, `cr`.
Video::DecodedVideoFrameRef syntheticFrame(int width, int height, int bitDepth, ColorRange range,
                                           const std::function<int(int x, int y)>& luma, int cb, int cr) {
    return Testing::makeLumaFrame(width, height, bitDepth, range == ColorRange::full, luma, cb, cr);
}

TEST(VideoScopeTests, TheHistogramCountsEachLumaCodeAtItsLevelInEitherRangeAndDepth) {
    struct Case {
        int bitDepth;
        ColorRange range;
        std::vector<int> codes;   // one row of a two-row picture
        int black, white;         // the levels of 0 and 100 %
        std::vector<int> levels;  // where each code is counted
    };
    const std::vector<Case> cases{
        {8, ColorRange::limited, {16, 126, 235, 4, 250, 16}, 16, 235, {16, 126, 235, 4, 250, 16}},
        {10, ColorRange::limited, {64, 504, 940, 19, 1023, 67}, 16, 235, {16, 126, 235, 4, 255, 16}},
        {8, ColorRange::full, {0, 128, 255, 0, 64, 192}, 0, 255, {0, 128, 255, 0, 64, 192}},
        {10, ColorRange::full, {0, 512, 1023, 3, 256, 768}, 0, 255, {0, 128, 255, 0, 64, 192}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(::testing::Message()
                     << each.bitDepth << " bits, " << (each.range == ColorRange::full ? "full" : "limited"));
        const int neutral = 128 << (each.bitDepth - 8);
        const auto frame = syntheticFrame(
            static_cast<int>(each.codes.size()), 2, each.bitDepth, each.range,
            [&](int x, int) { return each.codes[x]; }, neutral, neutral);
        ASSERT_TRUE(frame);
        const auto readings = measureVideoScopes(*frame, {.histogram = true});
        EXPECT_EQ(readings.black, each.black);
        EXPECT_EQ(readings.white, each.white);
        ASSERT_TRUE(readings.luma);
        LevelCounts expected{};
        for (int level : each.levels) expected[level] += 2;
        EXPECT_EQ(*readings.luma, expected);
        EXPECT_FALSE(readings.rgb) << "not asked for";
        EXPECT_TRUE(readings.waveform.empty()) << "not asked for";
    }
}

TEST(VideoScopeTests, TheColourHistogramGoesThroughThePicturesMatrixAndRange) {
    // BT.709 red at 8 bits: Y' 63, Cb 102, Cr 240 in the limited range; 54, 99, 255 in full.
    struct Case {
        ColorRange range;
        int y, cb, cr;
    };
    for (const auto& each : {Case{ColorRange::limited, 63, 102, 240}, Case{ColorRange::full, 54, 99, 255}}) {
        const auto frame = syntheticFrame(
            4, 4, 8, each.range, [&](int, int) { return each.y; }, each.cb, each.cr);
        const auto readings = measureVideoScopes(*frame, {.histogram = true, .colorHistogram = true});
        ASSERT_TRUE(readings.rgb);
        const auto levelOf = [](const LevelCounts& counts) {
            return static_cast<int>(std::find(counts.begin(), counts.end(), 16u) - counts.begin());
        };
        EXPECT_NEAR(levelOf((*readings.rgb)[0]), readings.white, 1);
        EXPECT_NEAR(levelOf((*readings.rgb)[1]), readings.black, 1);
        EXPECT_NEAR(levelOf((*readings.rgb)[2]), readings.black, 1);
    }
}

TEST(VideoScopeTests, TheWaveformOfALeftToRightRampIsARisingLine) {
    const int width = 200;
    const auto frame = syntheticFrame(
        width, 6, 10, ColorRange::limited, [](int x, int) { return 64 + x * 4; }, 512, 512);
    const auto readings = measureVideoScopes(*frame, {.waveform = true});
    ASSERT_EQ(readings.waveform.size(), static_cast<std::size_t>(width));
    for (int column = 0; column < width; ++column) {
        LevelCounts expected{};
        expected[16 + column] = 6;
        ASSERT_EQ(readings.waveform[column], expected) << "column " << column;
    }
    EXPECT_FALSE(readings.luma);

    // Across the picture as shown: along the rows for a quarter turn, from the far end mirrored.
    const auto rows = syntheticFrame(
        6, 100, 10, ColorRange::limited, [](int, int y) { return 64 + y * 4; }, 512, 512);
    for (const bool reversed : {false, true}) {
        const auto turned =
            measureVideoScopes(*rows, {.waveform = true, .waveformAlongRows = true, .waveformReversed = reversed});
        ASSERT_EQ(turned.waveform.size(), 100u);
        EXPECT_EQ(turned.waveform[reversed ? 99 : 0][16], 6) << "reversed " << reversed;
        EXPECT_EQ(turned.waveform[reversed ? 0 : 99][16 + 99], 6) << "reversed " << reversed;
    }
}

TEST(VideoScopeTests, TheWorkerSkipsPicturesWhileBusyOrTooSoonAndDeliversOnlyTheNewestReadings) {
    auto scopeQueue = std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.video-scopes");
    UmberlinPlatform::ManualSerialQueue mainQueue;
    VideoScopeWorker::Clock::time_point now{};
    std::vector<int> delivered;  // the first luma code of each delivered reading's picture
    auto worker = std::make_unique<VideoScopeWorker>(
        VideoScopeWorker::Ports{scopeQueue, mainQueue.postToThisQueue(), [&] { return now; }},
        [&](const VideoScopeReadings& readings) {
            delivered.push_back(static_cast<int>(
                std::find_if(readings.luma->begin(), readings.luma->end(), [](auto count) { return count > 0; }) -
                readings.luma->begin()));
        });
    const auto picture = [](int code) {
        return syntheticFrame(
            4, 4, 8, ColorRange::full, [=](int, int) { return code; }, 128, 128);
    };

    EXPECT_FALSE(worker->offer(picture(10))) << "no scope is shown";
    worker->setRequest({.histogram = true});
    EXPECT_TRUE(worker->offer(picture(20)));
    now += VideoScopeWorker::minimumInterval;
    EXPECT_FALSE(worker->offer(picture(30))) << "busy: skipped, not queued";
    EXPECT_EQ(scopeQueue->pendingCount(), 1u);
    scopeQueue->runAllReady();
    EXPECT_TRUE(worker->offer(picture(40)));
    scopeQueue->runAllReady();
    EXPECT_EQ(mainQueue.pendingCount(), 1u) << "one delivery carries the newest readings";
    mainQueue.runAllReady();
    EXPECT_EQ(delivered, std::vector<int>{40});

    now += VideoScopeWorker::minimumInterval / 2;
    EXPECT_FALSE(worker->offer(picture(50))) << "too soon after the last";
    now += VideoScopeWorker::minimumInterval / 2;
    EXPECT_TRUE(worker->offer(picture(60)));
    scopeQueue->runAllReady();
    worker.reset();
    mainQueue.runAllReady();
    EXPECT_EQ(delivered, std::vector<int>{40}) << "nothing reaches a worker's owner once it is gone";
}

}  // namespace
}  // namespace Quillfen::Monitor
