#pragma once
// NetworkVideoRenderer: the window's live preview behind the session controller's renderer
// port. Frames are decoded on a queue of the renderer's own (label ending ".video-decoder"),
// never on the receiver's queue or the main thread; the pictures reach the screen through the
// renderer's frame mailbox, which the window's NetworkPreviewView collects from.

#include <atomic>
#include <cstdint>
#include <memory>

#include "Dispatch/SerialQueue.hpp"
#include "Reception/NetworkVideoRenderer.hpp"
#include "Video/VideoDecodingLayer.hpp"
#include "Video/VideoFrameMailbox.hpp"

namespace Quillfen::Monitor {

class NetworkVideoRenderer final : public Quillfen::NetworkVideoRenderer {
public:
    // Frames waiting to be decoded beyond which the decoder counts as fallen behind (a second
    // at 30 fps): it then starts over at the next key frame instead of showing ever older
    // pictures while the queue and its memory grow.
    static constexpr std::int64_t maximumDecodingBacklog = 30;

    // The real renderer: libavcodec on a decoding thread of its own.
    static std::shared_ptr<NetworkVideoRenderer> make();

    // `layer` is only used on `decodingQueue`; it delivers its pictures to `frames`.
    NetworkVideoRenderer(std::shared_ptr<UmberlinPlatform::SerialQueue> decodingQueue,
                         std::shared_ptr<Video::VideoDecodingLayer> layer,
                         std::shared_ptr<Video::VideoFrameMailbox> frames);

    // After a decoder failure, when the layer needs a flush to go on, or when more than
    // maximumDecodingBacklog frames wait behind this one, the layer is flushed and decoding
    // restarts at the next key frame: delta frames up to it are dropped.
    void enqueue(const Media::SampleBufferRef& sampleBuffer) override;
    // Flushes the layer and removes the picture on screen.
    void flush() override;

    Video::VideoFrameMailbox& frameMailbox() { return *frames_; }

    // Frames handed to enqueue.
    std::int64_t receivedFrames() const { return receivedFrames_.load(); }

private:
    // Declared first, so released last: once the layer is gone, queued work finds nothing.
    std::shared_ptr<UmberlinPlatform::SerialQueue> decodingQueue_;
    std::shared_ptr<Video::VideoFrameMailbox> frames_;
    std::shared_ptr<Video::VideoDecodingLayer> layer_;
    std::shared_ptr<std::atomic<std::int64_t>> framesWaiting_ = std::make_shared<std::atomic<std::int64_t>>(0);
    std::atomic<std::int64_t> receivedFrames_ = 0;
};

}  // namespace Quillfen::Monitor
