// The real decoding display surface: libavcodec decodes on the calling thread (the preview's
// decoding queue) and every picture goes to the screen through a one-slot mailbox.
//
// A decoder opens with the first key frame and its format; a key frame whose format differs
// (new parameter sets) opens a new one. Without a key frame since the last flush or opening,
// delta frames are dropped instead of being decoded into pictures with missing references.
// A delta frame whose format differs cannot be decoded at all: the layer then requires a flush.
// Each stream is decoded in hardware where the probe offers it, in software otherwise.
#pragma once

#include <memory>
#include <vector>

#include "Media/VideoFormatDescription.hpp"
#include "Video/DecoderBackendSelection.hpp"
#include "Video/VideoDecodingLayer.hpp"
#include "Video/VideoFrameMailbox.hpp"

namespace Video {

class HevcDecodingLayer final : public VideoDecodingLayer {
public:
    HevcDecodingLayer(std::shared_ptr<VideoFrameMailbox> screen, std::shared_ptr<HardwareDecodingProbe> hardware);

    DecodingStatus status() const override { return status_; }
    bool requiresFlushToResumeDecoding() const override { return requiresFlush_; }
    void enqueue(const Media::SampleBufferRef& sample) override;
    void flush() override;
    void flushAndRemoveImage() override;

private:
    bool openDecoder(const std::shared_ptr<const Media::VideoFormatDescription>& format);

    std::shared_ptr<VideoFrameMailbox> screen_;
    std::shared_ptr<const Media::VideoFormatDescription> format_;
    DecoderBackendSelection decoder_;
    bool decoderIsOpen_ = false;
    DecodingStatus status_ = DecodingStatus::unknown;
    bool requiresFlush_ = false;
    bool awaitingKeyFrame_ = true;
    std::vector<DecodedVideoFrameRef> pictures_;
};

}  // namespace Video
