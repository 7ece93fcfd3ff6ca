// The decoding display surface port: compressed HEVC sample buffers in, pictures on screen
// as soon as they are decoded. It reports a failed state and a need to be flushed before it
// can decode again, and can be flushed with or without removing the picture on screen.
// All calls come from one thread (the preview's decoding queue).
#pragma once

#include "Media/SampleBuffer.hpp"

namespace Video {

enum class DecodingStatus { unknown, rendering, failed };

class VideoDecodingLayer {
public:
    virtual ~VideoDecodingLayer() = default;

    // unknown until a picture was decoded (and again after a flush); failed once the decoder
    // rejected a frame, until the next flush.
    virtual DecodingStatus status() const = 0;
    // True when the stream went on in a way the decoder cannot follow without starting over.
    virtual bool requiresFlushToResumeDecoding() const = 0;

    // Decodes the sample (its key-frame mark is SampleBuffer::isKeyFrame) and shows the result.
    virtual void enqueue(const Media::SampleBufferRef& sample) = 0;
    // Forgets the decoder's pictures; decoding resumes at the next key frame. The picture on
    // screen stays.
    virtual void flush() = 0;
    // The same, and the screen goes black.
    virtual void flushAndRemoveImage() = 0;
};

}  // namespace Video
