#include "Video/HardwareFrameDownload.hpp"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/hwcontext.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace Video {
namespace {

using FramePointer = std::unique_ptr<AVFrame, decltype([](AVFrame* frame) { av_frame_free(&frame); })>;

// The three-plane format with the same sampling and depth; only 4:2:0 is drawn from a surface.
AVPixelFormat planarFormatFor(const AVPixFmtDescriptor& format) {
    if (format.log2_chroma_w != 1 || format.log2_chroma_h != 1) return AV_PIX_FMT_NONE;
    if (format.comp[0].depth == 8) return AV_PIX_FMT_YUV420P;
    if (format.comp[0].depth == 10) return AV_PIX_FMT_YUV420P10LE;
    return AV_PIX_FMT_NONE;
}

}  // namespace

HardwareFrameDownload::~HardwareFrameDownload() { sws_freeContext(planarizer_); }

DecodedVideoFrameRef HardwareFrameDownload::download(const AVFrame& surfaceFrame,
                                                     std::int64_t presentationTimeNanoseconds) {
    if (surfaceFrame.format != AV_PIX_FMT_VAAPI) return nullptr;
    FramePointer memory(av_frame_alloc());
    if (!memory || av_hwframe_transfer_data(memory.get(), &surfaceFrame, 0) < 0 ||
        av_frame_copy_props(memory.get(), &surfaceFrame) < 0) {
        return nullptr;
    }
    if (auto picture = DecodedVideoFrame::referencing(*memory, presentationTimeNanoseconds, DecodingBackend::vaapi)) {
        return picture;  // the driver gave three planes already
    }

    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(memory->format));
    const AVPixelFormat planarFormat = format != nullptr ? planarFormatFor(*format) : AV_PIX_FMT_NONE;
    FramePointer planar(av_frame_alloc());
    if (planarFormat == AV_PIX_FMT_NONE || !planar) return nullptr;
    planar->format = planarFormat;
    planar->width = memory->width;
    planar->height = memory->height;
    if (av_frame_get_buffer(planar.get(), 0) < 0 || av_frame_copy_props(planar.get(), memory.get()) < 0) return nullptr;
    planarizer_ =
        sws_getCachedContext(planarizer_, memory->width, memory->height, static_cast<AVPixelFormat>(memory->format),
                             planar->width, planar->height, planarFormat, SWS_POINT, nullptr, nullptr, nullptr);
    if (planarizer_ == nullptr || sws_scale(planarizer_, memory->data, memory->linesize, 0, memory->height,
                                            planar->data, planar->linesize) != planar->height) {
        return nullptr;
    }
    return DecodedVideoFrame::referencing(*planar, presentationTimeNanoseconds, DecodingBackend::vaapi);
}

}  // namespace Video
