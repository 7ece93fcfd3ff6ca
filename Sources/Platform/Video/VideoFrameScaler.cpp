#include "Video/VideoFrameScaler.hpp"

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace Video {
namespace {

constexpr int sliceThreads = 2;

using FramePointer = std::unique_ptr<AVFrame, decltype([](AVFrame* frame) { av_frame_free(&frame); })>;

}  // namespace

VideoFrameScaler::~VideoFrameScaler() { sws_freeContext(context_); }

bool VideoFrameScaler::prepare(const Conversion& conversion) {
    if (context_ != nullptr && conversion == conversion_) return true;
    sws_freeContext(context_);
    context_ = sws_alloc_context();
    conversion_ = conversion;
    if (context_ == nullptr) return false;
    const bool configured = av_opt_set_int(context_, "srcw", conversion.sourceWidth, 0) >= 0 &&
                            av_opt_set_int(context_, "srch", conversion.sourceHeight, 0) >= 0 &&
                            av_opt_set_int(context_, "src_format", conversion.sourceFormat, 0) >= 0 &&
                            av_opt_set_int(context_, "dstw", conversion.width, 0) >= 0 &&
                            av_opt_set_int(context_, "dsth", conversion.height, 0) >= 0 &&
                            av_opt_set_int(context_, "dst_format", AV_PIX_FMT_RGB32, 0) >= 0 &&
                            av_opt_set_int(context_, "sws_flags", SWS_BILINEAR, 0) >= 0 &&
                            av_opt_set_int(context_, "threads", sliceThreads, 0) >= 0 &&
                            sws_init_context(context_, nullptr, nullptr) >= 0;
    const int colorspace = conversion.matrix == ColorMatrix::bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    const int* coefficients = sws_getCoefficients(colorspace);
    if (!configured || sws_setColorspaceDetails(context_, coefficients, conversion.range == ColorRange::full ? 1 : 0,
                                                coefficients, 1, 0, 1 << 16, 1 << 16) < 0) {
        sws_freeContext(context_);
        context_ = nullptr;
        return false;
    }
    return true;
}

bool VideoFrameScaler::scale(const DecodedVideoFrame& frame, int width, int height, std::uint8_t* destination,
                             int stride) {
    const AVFrame& source = frame.avFrame();
    if (!prepare(
            {source.width, source.height, source.format, width, height, frame.colorMatrix(), frame.colorRange()})) {
        return false;
    }
    // The destination is the caller's memory, lent to a frame for the call: a frame without a
    // buffer would make libswscale allocate one of its own and write the picture there.
    FramePointer target(av_frame_alloc());
    if (!target) return false;
    target->format = AV_PIX_FMT_RGB32;
    target->width = width;
    target->height = height;
    target->data[0] = destination;
    target->linesize[0] = stride;
    target->buf[0] = av_buffer_create(
        destination, static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), [](void*, std::uint8_t*) {},
        nullptr, 0);
    return target->buf[0] != nullptr && sws_scale_frame(context_, target.get(), &source) >= 0;
}

}  // namespace Video
