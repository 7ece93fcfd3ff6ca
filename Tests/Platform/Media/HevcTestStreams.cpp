#include "HevcTestStreams.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <memory>

namespace MediaTests {

namespace {

void paintGradient(UmberlinTools::PlanarPicture& picture, int frameIndex) {
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? picture.height : (picture.height + 1) / 2;
        const int columns = plane == 0 ? picture.width : (picture.width + 1) / 2;
        for (int row = 0; row < rows; ++row) {
            std::uint8_t* line = picture.planes[plane] + static_cast<std::ptrdiff_t>(row) * picture.strides[plane];
            for (int column = 0; column < columns; ++column) {
                const int value = plane == 0 ? (column + row + 4 * frameIndex) & 0xff : 128;
                if (picture.bytesPerSample == 1) {
                    line[column] = static_cast<std::uint8_t>(value);
                } else {
                    line[2 * column] = static_cast<std::uint8_t>((value << 2) & 0xff);
                    line[2 * column + 1] = static_cast<std::uint8_t>(value >> 6);
                }
            }
        }
    }
}

struct ContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

}  // namespace

EncodedStream encodeStream(const UmberlinTools::HevcEncoderSettings& settings, int frameCount) {
    UmberlinTools::HevcEncoder encoder(settings);
    EncodedStream stream{encoder.parameterSets(), {}};
    if (frameCount == 0) {
        return stream;
    }
    const std::int64_t frameNanoseconds = 1'000'000'000LL / settings.framesPerSecond;
    for (int index = 0; index < frameCount; ++index) {
        paintGradient(encoder.nextPicture(), index);
        for (auto& frame : encoder.encode(index * frameNanoseconds)) {
            stream.frames.push_back(std::move(frame));
        }
    }
    for (auto& frame : encoder.flush()) {
        stream.frames.push_back(std::move(frame));
    }
    return stream;
}

std::optional<DecodedPicture> decodeFirstPicture(Media::ByteView configurationRecord,
                                                 const std::vector<Media::Bytes>& accessUnits) {
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    std::unique_ptr<AVCodecContext, ContextDeleter> context(avcodec_alloc_context3(decoder));
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    auto* extradata = static_cast<std::uint8_t*>(av_mallocz(configurationRecord.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    std::memcpy(extradata, configurationRecord.data(), configurationRecord.size());
    context->extradata = extradata;
    context->extradata_size = static_cast<int>(configurationRecord.size());
    context->thread_count = 1;
    if (avcodec_open2(context.get(), decoder, nullptr) < 0) {
        return std::nullopt;
    }
    const auto receive = [&]() -> std::optional<DecodedPicture> {
        if (avcodec_receive_frame(context.get(), frame.get()) < 0) {
            return std::nullopt;
        }
        const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
        return DecodedPicture{frame->width, frame->height, format != nullptr ? format->comp[0].depth : 0};
    };
    for (const auto& accessUnit : accessUnits) {
        if (av_new_packet(packet.get(), static_cast<int>(accessUnit.size())) < 0) {
            return std::nullopt;
        }
        std::memcpy(packet->data, accessUnit.data(), accessUnit.size());
        const int sent = avcodec_send_packet(context.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            return std::nullopt;
        }
        if (auto picture = receive()) {
            return picture;
        }
    }
    avcodec_send_packet(context.get(), nullptr);
    return receive();
}

}  // namespace MediaTests
