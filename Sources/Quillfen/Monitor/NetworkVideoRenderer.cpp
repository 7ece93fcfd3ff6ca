#include "Monitor/NetworkVideoRenderer.hpp"

#include "Dispatch/ThreadSerialQueue.hpp"
#include "Video/HevcDecodingLayer.hpp"
#include "Video/VaapiDecodingProbe.hpp"

namespace Quillfen::Monitor {

std::shared_ptr<NetworkVideoRenderer> NetworkVideoRenderer::make() {
    auto frames = std::make_shared<Video::VideoFrameMailbox>();
    return std::make_shared<NetworkVideoRenderer>(
        UmberlinPlatform::makeSerialQueue("org.umberlin.rezuvidodo.video-decoder"),
        std::make_shared<Video::HevcDecodingLayer>(frames, std::make_shared<Video::VaapiDecodingProbe>()), frames);
}

NetworkVideoRenderer::NetworkVideoRenderer(std::shared_ptr<UmberlinPlatform::SerialQueue> decodingQueue,
                                           std::shared_ptr<Video::VideoDecodingLayer> layer,
                                           std::shared_ptr<Video::VideoFrameMailbox> frames)
    : decodingQueue_(std::move(decodingQueue)), frames_(std::move(frames)), layer_(std::move(layer)) {}

// The work holds the layer weakly: once the renderer is gone, what is still queued does nothing.
void NetworkVideoRenderer::enqueue(const Media::SampleBufferRef& sampleBuffer) {
    receivedFrames_.fetch_add(1);
    framesWaiting_->fetch_add(1);
    decodingQueue_->async([weakLayer = std::weak_ptr(layer_), framesWaiting = framesWaiting_, sampleBuffer] {
        const std::int64_t waitingBehind = framesWaiting->fetch_sub(1) - 1;
        const auto layer = weakLayer.lock();
        if (!layer) return;
        if (layer->status() == Video::DecodingStatus::failed || layer->requiresFlushToResumeDecoding() ||
            waitingBehind > maximumDecodingBacklog) {
            layer->flush();
            if (!sampleBuffer->isKeyFrame()) return;
        }
        layer->enqueue(sampleBuffer);
    });
}

void NetworkVideoRenderer::flush() {
    decodingQueue_->async([weakLayer = std::weak_ptr(layer_)] {
        if (const auto layer = weakLayer.lock()) layer->flushAndRemoveImage();
    });
}

}  // namespace Quillfen::Monitor
