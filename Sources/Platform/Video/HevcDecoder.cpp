#include "Video/HevcDecoder.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstring>

namespace Video {
namespace {

struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

}  // namespace

std::unique_ptr<HevcDecoder> HevcDecoder::open(std::span<const std::uint8_t> hevcConfigurationRecord) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    if (codec == nullptr || hevcConfigurationRecord.empty()) return nullptr;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (context == nullptr) return nullptr;
    auto decoder = std::make_unique<HevcDecoder>(ConstructionToken{}, context);

    const auto size = hevcConfigurationRecord.size();
    context->extradata = static_cast<std::uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context->extradata == nullptr) return nullptr;
    std::memcpy(context->extradata, hevcConfigurationRecord.data(), size);
    context->extradata_size = static_cast<int>(size);
    context->thread_type = FF_THREAD_SLICE;
    context->thread_count = 0;  // as many slice threads as the machine has cores
    context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    if (avcodec_open2(context, codec, nullptr) < 0 || context->width <= 0) return nullptr;
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
        auto picture = DecodedVideoFrame::referencing(*frame, frame->pts);
        av_frame_unref(frame.get());
        if (!picture) return false;
        pictures.push_back(std::move(picture));
    }
}

}  // namespace Video
