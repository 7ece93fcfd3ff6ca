// The simulator playing a pre-encoded clip: the loop, and the cache on disk.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "SimulatorTestSupport.hpp"

namespace SimulatorTests {
namespace {

using namespace UmberlinWire;

constexpr std::int64_t framePeriodNanoseconds = 100'000'000;  // 10 fps
constexpr std::int64_t clipFrames = 10;                       // 1 s

class SimulatorPreEncoded : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(cache_); }

    // A 1 s clip of 10 frames, a key frame every 4, cached in this test's own folder.
    std::unique_ptr<SimulatorProcess> start() {
        auto simulator = std::make_unique<SimulatorProcess>(
            std::vector<std::string>{"--no-advertise", "--address", "127.0.0.1", "--port", "0", "--size", "320x240",
                                     "--no-audio", "--fps", "10", "--keyframe-interval", "4", "--pre-encoded", "1"},
            std::vector<std::string>{"XDG_CACHE_HOME=" + cache_.string()});
        EXPECT_TRUE(simulator->waitForLine("listening on", 60s)) << simulator->output();
        return simulator;
    }

    std::filesystem::path clipFile() const {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(cache_))
            if (entry.path().extension() == ".clip") return entry.path();
        return {};
    }

    const std::filesystem::path cache_ =
        std::filesystem::path(testing::TempDir()) / ("pre-encoded-" + std::to_string(::getpid()) + "-" +
                                                     testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(SimulatorPreEncoded, LoopsFromTheClipsKeyFrameWithTimestampsThatKeepIncreasing) {
    auto simulator = start();
    WireTestClient client(simulator->waitForPort());

    std::optional<std::int64_t> firstTime;
    std::int64_t lastFrame = -1;
    std::map<std::int64_t, Bytes> clipFrameBytes;  // by the frame's place in the clip
    while (lastFrame < 2 * clipFrames + 5) {
        const auto message = client.nextMessageOfType(MessageType::videoFrame);
        ASSERT_TRUE(message) << simulator->output();
        const auto time = static_cast<std::int64_t>(message->header.presentationTimeNanoseconds);
        if (!firstTime) firstTime = time;
        ASSERT_EQ((time - *firstTime) % framePeriodNanoseconds, 0) << "every frame keeps to the frame clock";
        const std::int64_t frame = (time - *firstTime) / framePeriodNanoseconds;
        ASSERT_GT(frame, lastFrame) << "timestamps increase, also across loops";
        lastFrame = frame;

        const std::int64_t place = frame % clipFrames;
        if (place == 0) {
            EXPECT_TRUE(message->header.flags.contains(Flags::keyFrame)) << "frame " << frame;
        }
        const auto [seen, first] = clipFrameBytes.emplace(place, message->payload);
        EXPECT_EQ(seen->second, message->payload) << "frame " << frame << " repeats the clip's frame " << place;
    }
}

TEST_F(SimulatorPreEncoded, EncodesAgainWhenTheCachedClipIsCutShortOrDamaged) {
    start()->stop();
    const std::filesystem::path file = clipFile();
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(start()->waitForLine("playing the pre-encoded clip")) << "the second run reads the cache";

    const auto size = std::filesystem::file_size(file);
    const std::vector<std::pair<const char*, std::function<void()>>> damages = {
        {"cut short", [&] { std::filesystem::resize_file(file, size / 2); }},
        {"one byte changed",
         [&] {
             std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
             bytes.seekp(static_cast<std::streamoff>(size / 2));
             bytes.put('\x5a');
         }},
    };
    for (const auto& [damage, apply] : damages) {
        apply();
        auto simulator = start();
        EXPECT_TRUE(simulator->waitForLine("no usable pre-encoded clip")) << damage << "\n" << simulator->output();
        EXPECT_TRUE(simulator->waitForLine("cached in")) << damage;
    }
}

}  // namespace
}  // namespace SimulatorTests
