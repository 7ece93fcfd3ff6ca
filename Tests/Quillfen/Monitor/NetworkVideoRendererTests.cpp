// The renderer's rule on its decoding queue: a failed layer, or one that needs a flush, is
// flushed first, and then only a key frame goes on to it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Media/BlockBuffer.hpp"
#include "Monitor/NetworkVideoRenderer.hpp"
#include "Support/ManualSerialQueue.hpp"

namespace Quillfen::Monitor {
namespace {

using Video::DecodingStatus;

class RecordingLayer final : public Video::VideoDecodingLayer {
public:
    DecodingStatus status() const override { return currentStatus; }
    bool requiresFlushToResumeDecoding() const override { return needsFlush; }
    void enqueue(const Media::SampleBufferRef&) override { calls.emplace_back("enqueue"); }
    void flush() override {
        calls.emplace_back("flush");
        currentStatus = DecodingStatus::unknown;
        needsFlush = false;
    }
    void flushAndRemoveImage() override { calls.emplace_back("flushAndRemoveImage"); }

    DecodingStatus currentStatus = DecodingStatus::rendering;
    bool needsFlush = false;
    std::vector<std::string> calls;
};

// A frame the recording layer never reads; only its key-frame mark matters here.
Media::SampleBufferRef frame(bool isKeyFrame) {
    const auto buffer =
        Media::SampleBuffer::makeReady(Media::BlockBuffer::makeWithMemoryBlock(1).object, nullptr, 1, {}, {}).object;
    buffer->sampleAttachments(true)->front().notSync = !isKeyFrame;
    return buffer;
}

struct RendererParts {
    std::shared_ptr<UmberlinPlatform::ManualSerialQueue> queue =
        std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.video-decoder");
    std::shared_ptr<RecordingLayer> layer = std::make_shared<RecordingLayer>();
    std::shared_ptr<NetworkVideoRenderer> renderer =
        std::make_shared<NetworkVideoRenderer>(queue, layer, std::make_shared<Video::VideoFrameMailbox>());
};

TEST(NetworkVideoRendererTests, AFailedLayerOrOneThatNeedsAFlushIsFlushedAndRestartsAtAKeyFrame) {
    struct Case {
        DecodingStatus status;
        bool needsFlush;
        bool isKeyFrame;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {DecodingStatus::rendering, false, false, {"enqueue"}},
        {DecodingStatus::unknown, false, false, {"enqueue"}},
        {DecodingStatus::failed, false, false, {"flush"}},
        {DecodingStatus::failed, false, true, {"flush", "enqueue"}},
        {DecodingStatus::rendering, true, false, {"flush"}},
        {DecodingStatus::rendering, true, true, {"flush", "enqueue"}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(each.status) << " needsFlush " << each.needsFlush
                                          << " key " << each.isKeyFrame);
        RendererParts parts;
        parts.layer->currentStatus = each.status;
        parts.layer->needsFlush = each.needsFlush;
        parts.renderer->enqueue(frame(each.isKeyFrame));
        EXPECT_TRUE(parts.layer->calls.empty()) << "the work runs on the decoding queue";
        parts.queue->runAllReady();
        EXPECT_EQ(parts.layer->calls, each.calls);
    }
}

TEST(NetworkVideoRendererTests, ADecoderThatFellBehindDropsDeltaFramesUntilItsQueueIsShortAgain) {
    RendererParts parts;
    const std::int64_t tooMany = NetworkVideoRenderer::maximumDecodingBacklog + 3;
    for (std::int64_t index = 0; index < tooMany; ++index) parts.renderer->enqueue(frame(index == 1));
    parts.queue->runAllReady();

    // Frame 0 (delta) and frame 1 (key) find too many frames behind them: the layer is flushed
    // both times and only the key frame goes on; from frame 2 on the queue is short enough.
    std::vector<std::string> expected{"flush", "flush", "enqueue"};
    expected.insert(expected.end(), tooMany - 2, "enqueue");
    EXPECT_EQ(parts.layer->calls, expected);
}

TEST(NetworkVideoRendererTests, FlushRemovesThePictureInOrderAndWorkLeftForAGoneRendererDoesNothing) {
    RendererParts parts;
    parts.renderer->enqueue(frame(true));
    parts.renderer->flush();
    parts.queue->runAllReady();
    EXPECT_EQ(parts.layer->calls, (std::vector<std::string>{"enqueue", "flushAndRemoveImage"}));

    const std::weak_ptr<RecordingLayer> layer = parts.layer;
    parts.renderer->enqueue(frame(true));
    parts.renderer.reset();
    parts.layer.reset();
    parts.queue->runAllReady();
    EXPECT_TRUE(layer.expired());
}

}  // namespace
}  // namespace Quillfen::Monitor
