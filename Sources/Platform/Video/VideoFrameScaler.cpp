#include "Video/VideoFrameScaler.hpp"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace Video {

VideoFrameScaler::~VideoFrameScaler() { sws_freeContext(context_); }

bool VideoFrameScaler::scale(const DecodedVideoFrame& frame, int width, int height, std::uint8_t* destination,
                             int stride) {
    const AVFrame& source = frame.avFrame();
    context_ = sws_getCachedContext(context_, source.width, source.height, static_cast<AVPixelFormat>(source.format),
                                    width, height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context_ == nullptr) return false;
    const int colorspace = frame.colorMatrix() == ColorMatrix::bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    const int sourceRange = frame.colorRange() == ColorRange::full ? 1 : 0;
    const int* coefficients = sws_getCoefficients(colorspace);
    sws_setColorspaceDetails(context_, coefficients, sourceRange, coefficients, 1, 0, 1 << 16, 1 << 16);
    std::uint8_t* destinations[4] = {destination, nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    return sws_scale(context_, source.data, source.linesize, 0, source.height, destinations, strides) == height;
}

}  // namespace Video
