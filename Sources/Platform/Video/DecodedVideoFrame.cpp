#include "Video/DecodedVideoFrame.hpp"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

namespace Video {
namespace {

bool isDrawable(const AVPixFmtDescriptor& format) {
    if (format.nb_components != 3 || (format.flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) != 0) return false;
    if ((format.flags & AV_PIX_FMT_FLAG_PLANAR) == 0 || (format.flags & AV_PIX_FMT_FLAG_BE) != 0) return false;
    for (int component = 0; component < 3; ++component) {
        const AVComponentDescriptor& descriptor = format.comp[component];
        if (descriptor.plane != component || descriptor.shift != 0 || descriptor.depth != format.comp[0].depth) {
            return false;
        }
    }
    return format.comp[0].depth >= 8 && format.comp[0].depth <= 16;
}

// Streams that do not say which matrix they use: high-definition sizes are BT.709, smaller
// ones BT.601, as players have long assumed.
ColorMatrix colorMatrixOf(const AVFrame& frame) {
    switch (frame.colorspace) {
        case AVCOL_SPC_BT709:
            return ColorMatrix::bt709;
        case AVCOL_SPC_BT470BG:
        case AVCOL_SPC_SMPTE170M:
        case AVCOL_SPC_FCC:
            return ColorMatrix::bt601;
        default:
            return frame.height >= 720 ? ColorMatrix::bt709 : ColorMatrix::bt601;
    }
}

ColorRange colorRangeOf(const AVFrame& frame) {
    const auto format = static_cast<AVPixelFormat>(frame.format);
    const bool fullRangeFormat = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
                                 format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P;
    return frame.color_range == AVCOL_RANGE_JPEG || fullRangeFormat ? ColorRange::full : ColorRange::limited;
}

}  // namespace

DecodedVideoFrameRef DecodedVideoFrame::referencing(const AVFrame& source, std::int64_t presentationTimeNanoseconds,
                                                    DecodingBackend decodedBy) {
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(source.format));
    if (format == nullptr || !isDrawable(*format) || source.width <= 0 || source.height <= 0) return nullptr;
    std::shared_ptr<AVFrame> frame(av_frame_alloc(), [](AVFrame* frame) { av_frame_free(&frame); });
    if (!frame || av_frame_ref(frame.get(), &source) < 0) return nullptr;
    return std::make_shared<const DecodedVideoFrame>(
        ConstructionToken{}, std::move(frame), format->comp[0].depth, format->log2_chroma_w, format->log2_chroma_h,
        colorMatrixOf(source), colorRangeOf(source), presentationTimeNanoseconds, decodedBy);
}

DecodedVideoFrame::DecodedVideoFrame(ConstructionToken, std::shared_ptr<AVFrame> frame, int bitDepth, int chromaShiftX,
                                     int chromaShiftY, ColorMatrix matrix, ColorRange range,
                                     std::int64_t presentationTimeNanoseconds, DecodingBackend decodedBy)
    : frame_(std::move(frame)),
      bitDepth_(bitDepth),
      chromaShiftX_(chromaShiftX),
      chromaShiftY_(chromaShiftY),
      colorMatrix_(matrix),
      colorRange_(range),
      presentationTimeNanoseconds_(presentationTimeNanoseconds),
      decodedBy_(decodedBy) {}

int DecodedVideoFrame::width() const { return frame_->width; }
int DecodedVideoFrame::height() const { return frame_->height; }

int DecodedVideoFrame::planeWidth(int plane) const {
    return plane == 0 ? frame_->width : -((-frame_->width) >> chromaShiftX_);
}

int DecodedVideoFrame::planeHeight(int plane) const {
    return plane == 0 ? frame_->height : -((-frame_->height) >> chromaShiftY_);
}

const std::uint8_t* DecodedVideoFrame::planeData(int plane) const { return frame_->data[plane]; }
int DecodedVideoFrame::planeStride(int plane) const { return frame_->linesize[plane]; }

}  // namespace Video
