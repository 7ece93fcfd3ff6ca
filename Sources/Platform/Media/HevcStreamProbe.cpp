#include "Media/HevcStreamProbe.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <memory>

namespace Media {

namespace {

struct ContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};

std::optional<HevcPictureTraits> traitsOf(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    if (descriptor == nullptr || descriptor->nb_components == 0) {
        return std::nullopt;
    }
    HevcPictureTraits traits;
    traits.bitDepthLuma = descriptor->comp[0].depth;
    if (descriptor->nb_components < 3) {
        traits.chromaFormatIdc = 0;
        traits.bitDepthChroma = traits.bitDepthLuma;
        return traits;
    }
    traits.bitDepthChroma = descriptor->comp[1].depth;
    if (descriptor->log2_chroma_w == 1 && descriptor->log2_chroma_h == 1) {
        traits.chromaFormatIdc = 1;
    } else if (descriptor->log2_chroma_w == 1 && descriptor->log2_chroma_h == 0) {
        traits.chromaFormatIdc = 2;
    } else if (descriptor->log2_chroma_w == 0 && descriptor->log2_chroma_h == 0) {
        traits.chromaFormatIdc = 3;
    } else {
        return std::nullopt;
    }
    return traits;
}

}  // namespace

std::optional<HevcStreamFacts> probeHevcStream(ByteView configurationRecord) {
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    if (decoder == nullptr || configurationRecord.empty()) {
        return std::nullopt;
    }
    std::unique_ptr<AVCodecContext, ContextDeleter> context(avcodec_alloc_context3(decoder));
    if (!context) {
        return std::nullopt;
    }
    // The decoder owns extradata (freed with the context) and reads up to the padding past it.
    auto* extradata = static_cast<std::uint8_t*>(av_mallocz(configurationRecord.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (extradata == nullptr) {
        return std::nullopt;
    }
    std::memcpy(extradata, configurationRecord.data(), configurationRecord.size());
    context->extradata = extradata;
    context->extradata_size = static_cast<int>(configurationRecord.size());
    context->thread_count = 1;
    if (avcodec_open2(context.get(), decoder, nullptr) < 0 || context->width <= 0 || context->height <= 0) {
        return std::nullopt;
    }
    const auto traits = traitsOf(context->pix_fmt);
    if (!traits) {
        return std::nullopt;
    }
    return HevcStreamFacts{context->width, context->height, *traits};
}

}  // namespace Media
