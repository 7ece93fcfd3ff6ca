#pragma once
// What the session controller needs of the preview: compressed frames in, and a way to
// drop what is queued when the stream changes. The window provides the real one.

#include "Media/SampleBuffer.hpp"

namespace Quillfen {

class NetworkVideoRenderer {
public:
    virtual ~NetworkVideoRenderer() = default;
    // Both are callable from any thread; the renderer moves to its own thread for display.
    virtual void enqueue(const Media::SampleBufferRef& sampleBuffer) = 0;
    virtual void flush() = 0;
};

}  // namespace Quillfen
