#include "MediaSupport/HevcEncoder.hpp"

#include "MediaSupport/AnnexBUnits.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include <map>
#include <stdexcept>
#include <string>

namespace UmberlinTools {

namespace {

std::string describeAvError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

void validate(const HevcEncoderSettings& settings) {
    const auto fail = [](const std::string& sentence) { throw std::invalid_argument(sentence); };
    if (settings.width < 16 || settings.height < 16 || settings.width % 2 != 0 || settings.height % 2 != 0) {
        fail("The HEVC encoder needs an even picture size of at least 16x16, not " + std::to_string(settings.width) +
             "x" + std::to_string(settings.height) + ".");
    }
    if (settings.framesPerSecond < 1 || settings.framesPerSecond > 240) {
        fail("The HEVC encoder needs 1 to 240 frames per second, not " + std::to_string(settings.framesPerSecond) +
             ".");
    }
    if (settings.bitDepth != 8 && settings.bitDepth != 10) {
        fail("The HEVC encoder supports bit depths 8 and 10, not " + std::to_string(settings.bitDepth) + ".");
    }
    if (settings.keyFrameInterval < 1) {
        fail("The HEVC encoder needs a key frame interval of at least 1 frame.");
    }
    if (settings.bitRate < 1000) {
        fail("The HEVC encoder needs a bit rate of at least 1000 bits per second.");
    }
    if (settings.nalUnitHeaderLength < 1 || settings.nalUnitHeaderLength > 4) {
        fail("The NAL unit length prefix must be 1 to 4 bytes long, not " +
             std::to_string(settings.nalUnitHeaderLength) + ".");
    }
}

std::vector<UmberlinWire::Bytes> parameterSetsFromExtradata(UmberlinWire::ByteView extradata) {
    UmberlinWire::Bytes vps, sps, pps;
    for (const auto unit : splitAnnexB(extradata)) {
        switch (hevcNalUnitType(unit)) {
            case hevcVpsNalUnitType:
                vps.assign(unit.begin(), unit.end());
                break;
            case hevcSpsNalUnitType:
                sps.assign(unit.begin(), unit.end());
                break;
            case hevcPpsNalUnitType:
                pps.assign(unit.begin(), unit.end());
                break;
            default:
                break;
        }
    }
    if (vps.empty() || sps.empty() || pps.empty()) {
        throw std::runtime_error("The HEVC encoder (libx265) did not provide a VPS, an SPS and a PPS.");
    }
    return {std::move(vps), std::move(sps), std::move(pps)};
}

}  // namespace

struct HevcEncoder::Codec {
    HevcEncoderSettings settings;
    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    PlanarPicture picture;
    std::vector<UmberlinWire::Bytes> parameterSets;
    // Frame number (the encoder's time stamp) to presentation time, for frames inside the encoder.
    std::map<std::int64_t, std::int64_t> pendingTimes;
    std::int64_t nextFrameNumber = 0;
    bool flushed = false;

    ~Codec() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }

    void open();
    std::vector<EncodedFrame> receiveFrames();
    EncodedFrame frameFromPacket();
};

void HevcEncoder::Codec::open() {
    const std::string description = std::to_string(settings.width) + "x" + std::to_string(settings.height) + " " +
                                    std::to_string(settings.bitDepth) + "-bit";
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx265");
    if (encoder == nullptr) {
        throw std::runtime_error("This FFmpeg has no libx265 HEVC encoder.");
    }
    context = avcodec_alloc_context3(encoder);
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (context == nullptr || frame == nullptr || packet == nullptr) {
        throw std::runtime_error("The HEVC encoder could not allocate its state.");
    }
    context->width = settings.width;
    context->height = settings.height;
    context->time_base = AVRational{1, settings.framesPerSecond};
    context->framerate = AVRational{settings.framesPerSecond, 1};
    context->pix_fmt = settings.bitDepth == 10 ? AV_PIX_FMT_YUV420P10LE : AV_PIX_FMT_YUV420P;
    context->gop_size = settings.keyFrameInterval;
    context->keyint_min = settings.keyFrameInterval;
    context->max_b_frames = 0;
    context->bit_rate = settings.bitRate;
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    av_opt_set(context->priv_data, "tune", "zerolatency", 0);
    const std::string interval = std::to_string(settings.keyFrameInterval);
    const std::string x265Parameters =
        "log-level=error:info=0:repeat-headers=0:aud=0:bframes=0:scenecut=0:keyint=" + interval +
        ":min-keyint=" + interval;
    av_opt_set(context->priv_data, "x265-params", x265Parameters.c_str(), 0);

    if (const int status = avcodec_open2(context, encoder, nullptr); status < 0) {
        throw std::runtime_error("The HEVC encoder (libx265) could not be opened for " + description + ": " +
                                 describeAvError(status) + ".");
    }
    if (context->extradata == nullptr || context->extradata_size <= 0) {
        throw std::runtime_error("The HEVC encoder (libx265) gave no parameter sets for " + description + ".");
    }
    parameterSets = parameterSetsFromExtradata({context->extradata, static_cast<std::size_t>(context->extradata_size)});

    frame->format = context->pix_fmt;
    frame->width = settings.width;
    frame->height = settings.height;
    if (const int status = av_frame_get_buffer(frame, 0); status < 0) {
        throw std::runtime_error("The HEVC encoder could not allocate a picture: " + describeAvError(status) + ".");
    }
    picture.width = settings.width;
    picture.height = settings.height;
    picture.bytesPerSample = settings.bitDepth == 10 ? 2 : 1;
}

EncodedFrame HevcEncoder::Codec::frameFromPacket() {
    EncodedFrame encoded;
    encoded.keyFrame = (packet->flags & AV_PKT_FLAG_KEY) != 0;
    if (const auto time = pendingTimes.find(packet->pts); time != pendingTimes.end()) {
        encoded.presentationTimeNanoseconds = time->second;
        pendingTimes.erase(time);
    }
    encoded.accessUnit.reserve(static_cast<std::size_t>(packet->size) + 16);
    for (const auto unit : splitAnnexB({packet->data, static_cast<std::size_t>(packet->size)})) {
        if (!isHevcParameterSet(unit)) {
            appendLengthPrefixed(encoded.accessUnit, unit, settings.nalUnitHeaderLength);
        }
    }
    return encoded;
}

std::vector<EncodedFrame> HevcEncoder::Codec::receiveFrames() {
    std::vector<EncodedFrame> frames;
    while (true) {
        const int status = avcodec_receive_packet(context, packet);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            return frames;
        }
        if (status < 0) {
            throw std::runtime_error("The HEVC encoder failed to deliver a frame: " + describeAvError(status) + ".");
        }
        try {
            frames.push_back(frameFromPacket());
        } catch (...) {
            av_packet_unref(packet);
            throw;
        }
        av_packet_unref(packet);
    }
}

HevcEncoder::HevcEncoder(const HevcEncoderSettings& settings) : codec(std::make_unique<Codec>()) {
    validate(settings);
    codec->settings = settings;
    codec->open();
}

HevcEncoder::~HevcEncoder() = default;

const HevcEncoderSettings& HevcEncoder::settings() const { return codec->settings; }

const std::vector<UmberlinWire::Bytes>& HevcEncoder::parameterSets() const { return codec->parameterSets; }

PlanarPicture& HevcEncoder::nextPicture() {
    // The encoder may still hold the previous picture; writing then needs a private copy.
    if (const int status = av_frame_make_writable(codec->frame); status < 0) {
        throw std::runtime_error("The HEVC encoder could not prepare a picture: " + describeAvError(status) + ".");
    }
    for (std::size_t plane = 0; plane < 3; ++plane) {
        codec->picture.planes[plane] = codec->frame->data[plane];
        codec->picture.strides[plane] = codec->frame->linesize[plane];
    }
    return codec->picture;
}

std::vector<EncodedFrame> HevcEncoder::encode(std::int64_t presentationTimeNanoseconds) {
    if (codec->flushed) {
        throw std::logic_error("The HEVC encoder was flushed and takes no more pictures.");
    }
    nextPicture();  // makes sure the frame's buffers are ours even if the caller never painted
    const std::int64_t frameNumber = codec->nextFrameNumber++;
    codec->frame->pts = frameNumber;
    codec->pendingTimes[frameNumber] = presentationTimeNanoseconds;
    if (const int status = avcodec_send_frame(codec->context, codec->frame); status < 0) {
        codec->pendingTimes.erase(frameNumber);
        throw std::runtime_error("The HEVC encoder refused a picture: " + describeAvError(status) + ".");
    }
    return codec->receiveFrames();
}

std::vector<EncodedFrame> HevcEncoder::flush() {
    if (codec->flushed) {
        return {};
    }
    codec->flushed = true;
    if (const int status = avcodec_send_frame(codec->context, nullptr); status < 0) {
        throw std::runtime_error("The HEVC encoder could not be drained: " + describeAvError(status) + ".");
    }
    return codec->receiveFrames();
}

}  // namespace UmberlinTools
