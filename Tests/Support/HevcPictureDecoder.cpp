#include "Support/HevcPictureDecoder.hpp"

#include "Media/HevcConfigurationRecord.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <memory>

namespace SimulatorTests {
namespace {

using namespace UmberlinWire;

struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

DecodedPicture copyPicture(const AVFrame& frame) {
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    DecodedPicture picture;
    picture.width = frame.width;
    picture.height = frame.height;
    picture.bitDepth = format->comp[0].depth;
    const bool wide = picture.bitDepth > 8;
    for (int plane = 0; plane < 3; ++plane) {
        const int planeWidth = plane == 0 ? frame.width : (frame.width + 1) / 2;
        const int planeHeight = plane == 0 ? frame.height : (frame.height + 1) / 2;
        for (int row = 0; row < planeHeight; ++row) {
            const std::uint8_t* line = frame.data[plane] + static_cast<std::ptrdiff_t>(row) * frame.linesize[plane];
            for (int column = 0; column < planeWidth; ++column) {
                std::uint16_t value = line[column];
                if (wide) std::memcpy(&value, line + 2 * column, 2);  // native order, as libavcodec gives it
                picture.planes[plane].push_back(value);
            }
        }
    }
    return picture;
}

}  // namespace

int DecodedPicture::sample8(int plane, int x, int y) const {
    const int planeWidth = plane == 0 ? width : (width + 1) / 2;
    if (plane != 0) {
        x /= 2;
        y /= 2;
    }
    const int value = planes[plane][static_cast<std::size_t>(y) * planeWidth + x];
    return value >> (bitDepth - 8);
}

std::optional<DecodedPicture> decodePicture(ByteView hevcConfigurationRecord, ByteView accessUnit) {
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    std::unique_ptr<AVCodecContext, CodecContextDeleter> context(avcodec_alloc_context3(decoder));
    const auto recordSize = hevcConfigurationRecord.size();
    context->extradata = static_cast<std::uint8_t*>(av_mallocz(recordSize + AV_INPUT_BUFFER_PADDING_SIZE));
    std::memcpy(context->extradata, hevcConfigurationRecord.data(), recordSize);
    context->extradata_size = static_cast<int>(recordSize);
    context->thread_count = 1;
    if (avcodec_open2(context.get(), decoder, nullptr) < 0) return std::nullopt;

    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    if (av_new_packet(packet.get(), static_cast<int>(accessUnit.size())) < 0) return std::nullopt;
    std::memcpy(packet->data, accessUnit.data(), accessUnit.size());
    if (avcodec_send_packet(context.get(), packet.get()) < 0) return std::nullopt;
    avcodec_send_packet(context.get(), nullptr);  // drain: the one picture comes out now

    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    if (avcodec_receive_frame(context.get(), frame.get()) < 0) return std::nullopt;
    return copyPicture(*frame);
}

std::optional<DecodedPicture> decodePicture(const VideoConfiguration& configuration, ByteView accessUnit) {
    // The decoder reads only the length size and the parameter sets from the record, so the
    // default picture traits serve every bit depth.
    const std::optional<Bytes> record = Media::makeHevcConfigurationRecord(
        configuration.parameterSets, static_cast<int>(configuration.nalUnitHeaderLength), Media::HevcPictureTraits{});
    if (!record) return std::nullopt;
    return decodePicture(*record, accessUnit);
}

}  // namespace SimulatorTests
