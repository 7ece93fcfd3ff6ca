#include "Video/HevcDecoder.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/hwcontext.h>
}

#include <cstring>

#include "Video/HardwareFrameDownload.hpp"

namespace Video {
namespace {

struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

AVCodecContext* allocateContext(std::span<const std::uint8_t> hevcConfigurationRecord) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    if (codec == nullptr || hevcConfigurationRecord.empty()) return nullptr;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (context == nullptr) return nullptr;
    const auto size = hevcConfigurationRecord.size();
    context->extradata = static_cast<std::uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context->extradata == nullptr) {
        avcodec_free_context(&context);
        return nullptr;
    }
    std::memcpy(context->extradata, hevcConfigurationRecord.data(), size);
    context->extradata_size = static_cast<int>(size);
    context->thread_type = FF_THREAD_SLICE;
    context->thread_count = 0;  // as many slice threads as the machine has cores
    context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    return context;
}

// libavcodec offers VAAPI surfaces only when its VAAPI decoding could start for the stream's
// profile on the device; without them this decoder fails instead of going on in software.
AVPixelFormat vaapiSurfacesOnly(AVCodecContext*, const AVPixelFormat* offered) {
    for (; *offered != AV_PIX_FMT_NONE; ++offered) {
        if (*offered == AV_PIX_FMT_VAAPI) return AV_PIX_FMT_VAAPI;
    }
    return AV_PIX_FMT_NONE;
}

// The memory layout the device keeps pictures of this format in: 4:2:0 only, 8 or 10 bits.
AVPixelFormat surfaceFormatFor(AVPixelFormat format) {
    if (format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P) return AV_PIX_FMT_NV12;
    if (format == AV_PIX_FMT_YUV420P10LE) return AV_PIX_FMT_P010LE;
    return AV_PIX_FMT_NONE;
}

bool deviceHolds(AVBufferRef& device, AVPixelFormat softwareFormat) {
    const AVPixelFormat surfaceFormat = surfaceFormatFor(softwareFormat);
    AVHWFramesConstraints* constraints = av_hwdevice_get_hwframe_constraints(&device, nullptr);
    if (constraints == nullptr) return false;
    bool holds = false;
    for (const AVPixelFormat* format = constraints->valid_sw_formats;
         format != nullptr && *format != AV_PIX_FMT_NONE && surfaceFormat != AV_PIX_FMT_NONE; ++format) {
        holds = holds || *format == surfaceFormat;
    }
    av_hwframe_constraints_free(&constraints);
    return holds;
}

}  // namespace

std::unique_ptr<HevcDecoder> HevcDecoder::open(std::span<const std::uint8_t> hevcConfigurationRecord) {
    AVCodecContext* context = allocateContext(hevcConfigurationRecord);
    if (context == nullptr) return nullptr;
    auto decoder = std::make_unique<HevcDecoder>(ConstructionToken{}, context);
    if (avcodec_open2(context, context->codec, nullptr) < 0 || context->width <= 0) return nullptr;
    return decoder;
}

std::unique_ptr<HevcDecoder> HevcDecoder::openOnVaapi(std::span<const std::uint8_t> hevcConfigurationRecord,
                                                      AVBufferRef& vaapiDevice) {
    AVCodecContext* context = allocateContext(hevcConfigurationRecord);
    if (context == nullptr) return nullptr;
    auto decoder = std::make_unique<HevcDecoder>(ConstructionToken{}, context);
    context->hw_device_ctx = av_buffer_ref(&vaapiDevice);
    context->get_format = vaapiSurfacesOnly;
    if (context->hw_device_ctx == nullptr || avcodec_open2(context, context->codec, nullptr) < 0 ||
        context->width <= 0 || !deviceHolds(vaapiDevice, context->pix_fmt)) {
        return nullptr;
    }
    decoder->download_ = std::make_unique<HardwareFrameDownload>();
    return decoder;
}

HevcDecoder::HevcDecoder(ConstructionToken, AVCodecContext* context) : context_(context) {}

HevcDecoder::~HevcDecoder() { avcodec_free_context(&context_); }

bool HevcDecoder::decode(std::span<const std::uint8_t> accessUnit, std::int64_t presentationTimeNanoseconds,
                         std::vector<DecodedVideoFrameRef>& pictures) {
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    if (!packet || accessUnit.empty() || av_new_packet(packet.get(), static_cast<int>(accessUnit.size())) < 0) {
        return false;
    }
    std::memcpy(packet->data, accessUnit.data(), accessUnit.size());
    packet->pts = presentationTimeNanoseconds;
    if (avcodec_send_packet(context_, packet.get()) < 0) return false;
    return receivePictures(pictures);
}

bool HevcDecoder::drain(std::vector<DecodedVideoFrameRef>& pictures) {
    if (avcodec_send_packet(context_, nullptr) < 0) return false;
    return receivePictures(pictures);
}

void HevcDecoder::flush() { avcodec_flush_buffers(context_); }

bool HevcDecoder::receivePictures(std::vector<DecodedVideoFrameRef>& pictures) {
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    if (!frame) return false;
    for (;;) {
        const int result = avcodec_receive_frame(context_, frame.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
        if (result < 0) return false;
        auto picture = download_ ? download_->download(*frame, frame->pts)
                                 : DecodedVideoFrame::referencing(*frame, frame->pts, DecodingBackend::software);
        av_frame_unref(frame.get());
        if (!picture) return false;
        pictures.push_back(std::move(picture));
    }
}

}  // namespace Video
