// The decoding layer on the simulator's real stream: pictures come out of the call that
// decoded them, at their size and depth; broken or unfollowable input never crashes but puts
// the layer into the state the preview restarts from. The layer has the real VAAPI probe,
// looking in a folder without render nodes: software decoding is what it falls back to.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Support/SimulatorVideoSamples.hpp"
#include "Video/HevcDecodingLayer.hpp"
#include "Video/VaapiDecodingProbe.hpp"

namespace VideoTests {
namespace {

using SimulatorTests::encodeSimulatorVideo;
using Video::DecodingStatus;

class HevcDecodingLayerTest : public ::testing::Test {
protected:
    // The picture the last enqueue put on screen; nothing when it delivered none.
    std::optional<Video::DecodedVideoFrameRef> enqueue(const Media::SampleBufferRef& sample) {
        layer.enqueue(sample);
        return screen->collect();
    }

    std::shared_ptr<Video::VideoFrameMailbox> screen = std::make_shared<Video::VideoFrameMailbox>();
    std::shared_ptr<Video::HardwareDecodingProbe> noGraphicsDevice =
        std::make_shared<Video::VaapiDecodingProbe>(::testing::TempDir() + "no-render-nodes");
    Video::HevcDecodingLayer layer{screen, noGraphicsDevice};
};

TEST_F(HevcDecodingLayerTest, EachFrameIsOnScreenRightAfterItIsDecodedAtItsSizeAndDepth) {
    for (const int bitDepth : {8, 10}) {
        SCOPED_TRACE(bitDepth);
        const auto video = encodeSimulatorVideo({.width = 320, .height = 176, .bitDepth = bitDepth, .frameCount = 3});
        Video::HevcDecodingLayer freshLayer(screen, noGraphicsDevice);
        for (const auto& sample : video.samples) {
            freshLayer.enqueue(sample);
            const auto picture = screen->collect();
            ASSERT_TRUE(picture && *picture);
            EXPECT_EQ((*picture)->width(), 320);
            EXPECT_EQ((*picture)->height(), 176);
            EXPECT_EQ((*picture)->bitDepth(), bitDepth);
            EXPECT_EQ((*picture)->colorRange(), Video::ColorRange::limited);
            EXPECT_EQ((*picture)->presentationTimeNanoseconds(), sample->presentationTimeStamp().value);
            EXPECT_EQ((*picture)->decodedBy(), Video::DecodingBackend::software);
        }
        EXPECT_EQ(freshLayer.status(), DecodingStatus::rendering);
    }
}

TEST_F(HevcDecodingLayerTest, ABrokenFrameFailsTheLayerUntilAFlushAndDecodingResumesAtAKeyFrame) {
    const auto video = encodeSimulatorVideo({.frameCount = 3, .keyFrameInterval = 2});  // key, delta, key
    ASSERT_TRUE(enqueue(video.samples[0]));

    auto garbage = Media::BlockBuffer::makeWithMemoryBlock(64);
    garbage.object->replaceDataBytes(std::vector<std::uint8_t>(64, 0xA7), 0);
    const std::array sizes{std::size_t{64}};
    const auto broken = Media::SampleBuffer::makeReady(garbage.object, video.format, 1, {}, sizes).object;
    EXPECT_FALSE(enqueue(broken));
    EXPECT_EQ(layer.status(), DecodingStatus::failed);
    EXPECT_FALSE(enqueue(video.samples[2])) << "a failed layer decodes nothing until flushed";

    layer.flush();
    EXPECT_EQ(layer.status(), DecodingStatus::unknown);
    EXPECT_FALSE(enqueue(video.samples[1])) << "a delta frame right after a flush has no references";
    EXPECT_TRUE(enqueue(video.samples[2]));
    EXPECT_EQ(layer.status(), DecodingStatus::rendering);
}

TEST_F(HevcDecodingLayerTest, NewParameterSetsOpenANewDecoderAtAKeyFrameAndADeltaFrameRequiresAFlush) {
    const auto first = encodeSimulatorVideo({.width = 320, .height = 176, .frameCount = 1});
    const auto second = encodeSimulatorVideo({.width = 256, .height = 144, .frameCount = 2});
    ASSERT_TRUE(enqueue(first.samples[0]));

    EXPECT_FALSE(enqueue(second.samples[1]));
    EXPECT_TRUE(layer.requiresFlushToResumeDecoding());
    layer.flush();
    EXPECT_FALSE(layer.requiresFlushToResumeDecoding());

    const auto picture = enqueue(second.samples[0]);
    ASSERT_TRUE(picture && *picture);
    EXPECT_EQ((*picture)->width(), 256);
    EXPECT_EQ((*picture)->height(), 144);
}

TEST_F(HevcDecodingLayerTest, FlushingWithTheImageRemovedBlanksTheScreen) {
    const auto video = encodeSimulatorVideo({.frameCount = 1});
    ASSERT_TRUE(enqueue(video.samples[0]));
    layer.flush();
    EXPECT_FALSE(screen->collect()) << "a plain flush leaves the picture";
    layer.flushAndRemoveImage();
    const auto content = screen->collect();
    ASSERT_TRUE(content);
    EXPECT_EQ(*content, nullptr);
}

}  // namespace
}  // namespace VideoTests
