#pragma once
// Where the receiver's video frames go: the preview and the recorder are sinks, and the
// session controller holds them in one SampleBufferSinks list. Each sink gets every frame,
// and all are flushed when the stream ends or changes format; another consumer of the frames
// is one more entry in the list.

#include <initializer_list>
#include <memory>
#include <vector>

#include "Media/SampleBuffer.hpp"

namespace Quillfen {

class SampleBufferSink {
public:
    virtual ~SampleBufferSink() = default;
    // Both are callable from any thread and return at once: a sink does its real work on a
    // thread or queue of its own.

    // One compressed frame carrying its format description and key-frame mark.
    virtual void enqueue(const Media::SampleBufferRef& sampleBuffer) = 0;
    // The frames so far belong to a stream that is over: drop, or finish, what depends on them.
    virtual void flush() = 0;
};

// The sinks held weakly, called in the order they were given; one that is gone is skipped.
class SampleBufferSinks {
public:
    SampleBufferSinks(std::initializer_list<std::weak_ptr<SampleBufferSink>> sinks) : sinks_(sinks) {}

    void enqueue(const Media::SampleBufferRef& sampleBuffer) const {
        for (const auto& sink : sinks_)
            if (const auto strong = sink.lock()) strong->enqueue(sampleBuffer);
    }
    void flush() const {
        for (const auto& sink : sinks_)
            if (const auto strong = sink.lock()) strong->flush();
    }

private:
    std::vector<std::weak_ptr<SampleBufferSink>> sinks_;
};

}  // namespace Quillfen
