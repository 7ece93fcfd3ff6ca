#pragma once
// Decoded pictures made sample by sample for the assists' tests: a luma plane from a rule,
// neutral chroma unless given, at 8 or 10 bits in limited or full range.

extern "C" {
#include <libavutil/frame.h>
}

#include <functional>
#include <memory>

#include "Video/DecodedVideoFrame.hpp"

namespace Quillfen::Monitor::Testing {

inline Video::DecodedVideoFrameRef makeLumaFrame(int width, int height, int bitDepth, bool fullRange,
                                                 const std::function<int(int x, int y)>& code, int cb = -1,
                                                 int cr = -1) {
    std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
    frame->width = width;
    frame->height = height;
    frame->format = bitDepth > 8 ? AV_PIX_FMT_YUV420P10LE : AV_PIX_FMT_YUV420P;
    frame->color_range = fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    frame->colorspace = AVCOL_SPC_BT709;
    if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
    const auto put = [&](int plane, int x, int y, int value) {
        std::uint8_t* row = frame->data[plane] + y * frame->linesize[plane];
        if (bitDepth > 8) {
            reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(value);
        } else {
            row[x] = static_cast<std::uint8_t>(value);
        }
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) put(0, x, y, code(x, y));
    }
    const int neutral = 128 << (bitDepth - 8);
    for (int plane = 1; plane < 3; ++plane) {
        const int value = plane == 1 ? (cb < 0 ? neutral : cb) : (cr < 0 ? neutral : cr);
        for (int y = 0; y < (height + 1) / 2; ++y) {
            for (int x = 0; x < (width + 1) / 2; ++x) put(plane, x, y, value);
        }
    }
    return Video::DecodedVideoFrame::referencing(*frame, 0, Video::DecodingBackend::software);
}

}  // namespace Quillfen::Monitor::Testing
