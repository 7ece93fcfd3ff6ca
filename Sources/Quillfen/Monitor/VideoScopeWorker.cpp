#include "Monitor/VideoScopeWorker.hpp"

#include <QMetaObject>
#include <QObject>

#include <mutex>
#include <optional>

#include "Dispatch/ThreadSerialQueue.hpp"

namespace Quillfen::Monitor {

struct VideoScopeWorker::State {
    std::mutex mutex;  // guards what the queue and the main thread share, below
    bool isMeasuring = false;
    bool isClosed = false;
    std::optional<VideoScopeReadings> undelivered;
    bool deliveryPosted = false;
    // Main thread only:
    VideoScopeRequest request;
    std::optional<Clock::time_point> lastStart;
    OnReadings onReadings;
};

std::unique_ptr<VideoScopeWorker> VideoScopeWorker::make(QObject& context, OnReadings onReadings) {
    // Queued on `context`: a delivery still on its way when the context goes is dropped.
    auto postToMain = [&context](UmberlinPlatform::Work work) {
        QMetaObject::invokeMethod(&context, std::move(work), Qt::QueuedConnection);
    };
    return std::make_unique<VideoScopeWorker>(
        Ports{UmberlinPlatform::makeSerialQueue("org.umberlin.rezuvidodo.video-scopes"), postToMain, Clock::now},
        std::move(onReadings));
}

VideoScopeWorker::VideoScopeWorker(Ports ports, OnReadings onReadings)
    : ports_(std::move(ports)), state_(std::make_shared<State>()) {
    state_->onReadings = std::move(onReadings);
}

// A measurement still running finishes, but publishes nothing.
VideoScopeWorker::~VideoScopeWorker() {
    std::lock_guard lock(state_->mutex);
    state_->isClosed = true;
}

void VideoScopeWorker::setRequest(const VideoScopeRequest& request) { state_->request = request; }

bool VideoScopeWorker::offer(const Video::DecodedVideoFrameRef& frame) {
    State& state = *state_;
    if (!frame || !state.request.measuresAnything()) return false;
    const Clock::time_point now = ports_.now();
    {
        std::lock_guard lock(state.mutex);
        if (state.isMeasuring || (state.lastStart && now - *state.lastStart < minimumInterval)) return false;
        state.isMeasuring = true;
    }
    state.lastStart = now;
    ports_.queue->async(
        [weakState = std::weak_ptr(state_), postToMain = ports_.postToMain, frame, request = state.request] {
            VideoScopeReadings readings = measureVideoScopes(*frame, request);
            const auto state = weakState.lock();
            if (!state) return;
            std::lock_guard lock(state->mutex);
            state->isMeasuring = false;
            if (state->isClosed) return;
            state->undelivered = std::move(readings);
            if (state->deliveryPosted) return;
            state->deliveryPosted = true;
            postToMain([weakState] {
                const auto state = weakState.lock();
                if (!state) return;
                std::optional<VideoScopeReadings> readings;
                {
                    std::lock_guard lock(state->mutex);
                    state->deliveryPosted = false;
                    if (state->isClosed) return;
                    readings.swap(state->undelivered);
                }
                if (readings && state->onReadings) state->onReadings(*readings);
            });
        });
    return true;
}

}  // namespace Quillfen::Monitor
