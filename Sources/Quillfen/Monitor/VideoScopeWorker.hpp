#pragma once
// VideoScopeWorker: measures the scopes of the preview's pictures on a queue of its own
// (label ending ".video-scopes"), never on the decoding thread or the main thread, so a scope
// can never hold a picture back. It takes a picture (a shared reference, no copy) only when
// it is idle and its last measurement began at least minimumInterval ago; any other picture
// is skipped, never queued. Readings reach the main thread coalesced: one delivery at a time
// carries the newest readings, and newer ones replace those not yet delivered.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class QObject;

#include "Dispatch/SerialQueue.hpp"
#include "Monitor/VideoScopeMeasurement.hpp"

namespace Quillfen::Monitor {

class VideoScopeWorker {
public:
    using Clock = std::chrono::steady_clock;
    // About 16 measurements a second at most: every other picture at 30 fps, every fourth at 60.
    static constexpr std::chrono::milliseconds minimumInterval{60};

    struct Ports {
        std::shared_ptr<UmberlinPlatform::SerialQueue> queue;  // where measuring happens
        UmberlinPlatform::PostToMain postToMain;
        std::function<Clock::time_point()> now;
    };
    using OnReadings = std::function<void(const VideoScopeReadings& readings)>;

    // The real worker: a thread of its own and Qt's queued invocation on `context`, which must
    // outlive the worker.
    static std::unique_ptr<VideoScopeWorker> make(QObject& context, OnReadings onReadings);

    // `onReadings` runs on the main thread, never after the worker is gone.
    VideoScopeWorker(Ports ports, OnReadings onReadings);
    ~VideoScopeWorker();
    VideoScopeWorker(const VideoScopeWorker&) = delete;
    VideoScopeWorker& operator=(const VideoScopeWorker&) = delete;

    // Main thread. Which scopes the following measurements make.
    void setRequest(const VideoScopeRequest& request);

    // Main thread. Starts measuring `frame` when the worker is free for it; true when taken,
    // false when the picture is skipped (busy, too soon, nothing requested, no picture).
    bool offer(const Video::DecodedVideoFrameRef& frame);

    struct State;

private:
    Ports ports_;
    std::shared_ptr<State> state_;
};

}  // namespace Quillfen::Monitor
