#include "MovieWriter/AacTrackEncoder.hpp"

#include "MovieWriter/MovieWriterErrors.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace UmberlinPlatform {

namespace {

// AAC holds at most 96 kHz; faster sources are resampled to the usual movie rate.
constexpr int highestAacSampleRate = 96000;
constexpr int resampledRate = 48000;
// Timestamps may wander this far (10 ms) before silence is inserted or samples are trimmed.
constexpr int timingToleranceDivisor = 100;
// The longest gap filled with silence; a larger jump in the phone's timestamps is not believed.
constexpr int longestSilenceSeconds = 10;

int aacSampleRateFor(double sourceRate) {
    const int rate = static_cast<int>(std::lround(sourceRate));
    return rate > highestAacSampleRate ? resampledRate : rate;
}

// The encoder's own layout for `channelCount` channels, so 3.0 rather than 2.1 for three.
AVChannelLayout layoutFor(const AVCodec* codec, int channelCount) {
    AVChannelLayout layout{};
    for (const AVChannelLayout* supported = codec->ch_layouts; supported && supported->nb_channels != 0; ++supported) {
        if (supported->nb_channels == channelCount) {
            av_channel_layout_copy(&layout, supported);
            return layout;
        }
    }
    av_channel_layout_default(&layout, channelCount);
    return layout;
}

}  // namespace

struct AacTrackEncoder::Codec {
    AVCodecContext* context = nullptr;
    SwrContext* resampler = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int inputRate = 0;
    int inputChannels = 0;
    std::int64_t queuedSamples = 0;   // output samples put into the fifo so far (silence included)
    std::int64_t encodedSamples = 0;  // output samples handed to the encoder so far
    std::vector<std::uint8_t*> planes;
    std::vector<float> planeStorage;

    ~Codec() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        if (fifo) {
            av_audio_fifo_free(fifo);
        }
        swr_free(&resampler);
        avcodec_free_context(&context);
    }

    int outputRate() const { return context->sample_rate; }
    // Where the next converted sample lands: what is in the fifo plus what the resampler holds.
    std::int64_t nextSamplePosition() const { return queuedSamples + swr_get_delay(resampler, outputRate()); }

    // Planar float scratch space for `samples` samples per channel.
    std::uint8_t** scratchPlanes(int samples) {
        const auto channels = static_cast<std::size_t>(context->ch_layout.nb_channels);
        planeStorage.assign(channels * static_cast<std::size_t>(samples), 0.0f);
        planes.resize(channels);
        for (std::size_t channel = 0; channel < channels; ++channel) {
            planes[channel] = reinterpret_cast<std::uint8_t*>(planeStorage.data() + channel * samples);
        }
        return planes.data();
    }
};

AacTrackEncoder::AacTrackEncoder(std::unique_ptr<Codec> codec) : codec_(std::move(codec)) {}
AacTrackEncoder::~AacTrackEncoder() = default;

std::unique_ptr<AacTrackEncoder> AacTrackEncoder::open(const Media::AudioStreamBasicDescription& source,
                                                       const AacOutputSettings& settings, MovieWriterError& error) {
    error = makeMovieWriterError(MovieWriterErrorCode::invalidConfiguration, 0);
    const bool sixteenBitInterleaved = source.formatId == Media::audioFormatLinearPcm && source.bitsPerChannel == 16 &&
                                       (source.formatFlags & Media::audioFormatFlagIsSignedInteger) != 0 &&
                                       source.channelsPerFrame >= 1 && source.channelsPerFrame <= 8 &&
                                       source.bytesPerFrame == 2 * source.channelsPerFrame;
    if (!sixteenBitInterleaved || !(source.sampleRate >= 1) || settings.channelCount != int(source.channelsPerFrame) ||
        !(settings.sampleRate >= 1) || settings.bitRate <= 0) {
        return nullptr;
    }
    const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!aac) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, AVERROR_ENCODER_NOT_FOUND);
        return nullptr;
    }
    auto codec = std::make_unique<Codec>();
    codec->inputRate = static_cast<int>(std::lround(source.sampleRate));
    codec->inputChannels = static_cast<int>(source.channelsPerFrame);
    codec->context = avcodec_alloc_context3(aac);
    codec->frame = av_frame_alloc();
    codec->packet = av_packet_alloc();
    if (!codec->context || !codec->frame || !codec->packet) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, AVERROR(ENOMEM));
        return nullptr;
    }
    AVCodecContext* context = codec->context;
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->sample_rate = aacSampleRateFor(settings.sampleRate);
    context->time_base = AVRational{1, context->sample_rate};
    context->bit_rate = settings.bitRate;
    context->ch_layout = layoutFor(aac, settings.channelCount);
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // the movie's esds needs the AudioSpecificConfig
    if (int result = avcodec_open2(context, aac, nullptr); result < 0) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, result);
        return nullptr;
    }

    AVChannelLayout inputLayout{};
    av_channel_layout_default(&inputLayout, codec->inputChannels);
    int result = swr_alloc_set_opts2(&codec->resampler, &context->ch_layout, AV_SAMPLE_FMT_FLTP, context->sample_rate,
                                     &inputLayout, AV_SAMPLE_FMT_S16, codec->inputRate, 0, nullptr);
    av_channel_layout_uninit(&inputLayout);
    if (result >= 0) {
        // Channels are passed through in order, whatever the layouts call them.
        std::vector<double> identity(codec->inputChannels * codec->inputChannels, 0.0);
        for (int channel = 0; channel < codec->inputChannels; ++channel) {
            identity[channel * codec->inputChannels + channel] = 1.0;
        }
        result = swr_set_matrix(codec->resampler, identity.data(), codec->inputChannels);
    }
    if (result >= 0) {
        result = swr_init(codec->resampler);
    }
    codec->fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, context->ch_layout.nb_channels, context->frame_size * 4);
    if (result >= 0 && !codec->fifo) {
        result = AVERROR(ENOMEM);
    }
    if (result < 0) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, result);
        return nullptr;
    }
    error = {};
    return std::unique_ptr<AacTrackEncoder>(new AacTrackEncoder(std::move(codec)));
}

const AVCodecContext* AacTrackEncoder::codecContext() const { return codec_->context; }

int AacTrackEncoder::outputSampleRate() const { return codec_->outputRate(); }

bool AacTrackEncoder::appendSilence(std::int64_t sampleCount, MovieWriterError& error) {
    while (sampleCount > 0) {
        const int chunk = static_cast<int>(std::min<std::int64_t>(sampleCount, codec_->outputRate()));
        if (av_audio_fifo_write(codec_->fifo, reinterpret_cast<void**>(codec_->scratchPlanes(chunk)), chunk) < chunk) {
            error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, AVERROR(ENOMEM));
            return false;
        }
        codec_->queuedSamples += chunk;
        sampleCount -= chunk;
    }
    return true;
}

bool AacTrackEncoder::encode(Media::ByteView pcm, double startSeconds, const PacketSink& sink,
                             MovieWriterError& error) {
    const std::size_t bytesPerFrame = 2 * static_cast<std::size_t>(codec_->inputChannels);
    std::int64_t frameCount = static_cast<std::int64_t>(pcm.size() / bytesPerFrame);
    const std::uint8_t* samples = pcm.data();
    if (std::isfinite(startSeconds)) {
        const int rate = codec_->outputRate();
        const std::int64_t tolerance = rate / timingToleranceDivisor;
        const auto startSample = static_cast<std::int64_t>(std::llround(startSeconds * rate));
        const std::int64_t drift = startSample - codec_->nextSamplePosition();
        if (drift > tolerance) {
            if (!appendSilence(std::min<std::int64_t>(drift, std::int64_t{longestSilenceSeconds} * rate), error)) {
                return false;
            }
        } else if (drift < -tolerance) {
            const std::int64_t overlap = std::min(frameCount, av_rescale(-drift, codec_->inputRate, rate));
            samples += overlap * bytesPerFrame;
            frameCount -= overlap;
        }
    }
    if (frameCount > 0) {
        const int capacity = swr_get_out_samples(codec_->resampler, static_cast<int>(frameCount));
        std::uint8_t** planes = codec_->scratchPlanes(std::max(capacity, 1));
        const std::uint8_t* input[] = {samples};
        const int converted = swr_convert(codec_->resampler, planes, capacity, input, static_cast<int>(frameCount));
        if (converted < 0 ||
            av_audio_fifo_write(codec_->fifo, reinterpret_cast<void**>(planes), converted) < converted) {
            error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio,
                                         converted < 0 ? converted : AVERROR(ENOMEM));
            return false;
        }
        codec_->queuedSamples += converted;
    }
    const int frameSize = codec_->context->frame_size;
    const std::int64_t wholeFrames = av_audio_fifo_size(codec_->fifo) / frameSize * frameSize;
    return encodeBuffered(wholeFrames, sink, error);
}

bool AacTrackEncoder::padWithSilenceUntil(double seconds, const PacketSink& sink, MovieWriterError& error) {
    const auto target = static_cast<std::int64_t>(std::floor(seconds * codec_->outputRate()));
    const std::int64_t missing = target - codec_->nextSamplePosition();
    if (!std::isfinite(seconds) || missing <= 0) {
        return true;
    }
    // At most the longest believable gap at a time, so a wild jump in the video's timestamps
    // costs bounded memory and time per frame.
    if (!appendSilence(std::min<std::int64_t>(missing, std::int64_t{longestSilenceSeconds} * codec_->outputRate()),
                       error)) {
        return false;
    }
    const int frameSize = codec_->context->frame_size;
    return encodeBuffered(av_audio_fifo_size(codec_->fifo) / frameSize * frameSize, sink, error);
}

bool AacTrackEncoder::finish(double endSeconds, const PacketSink& sink, MovieWriterError& error) {
    // What the resampler still holds comes out last.
    const int capacity = swr_get_out_samples(codec_->resampler, 0);
    if (capacity > 0) {
        std::uint8_t** planes = codec_->scratchPlanes(capacity);
        const int converted = swr_convert(codec_->resampler, planes, capacity, nullptr, 0);
        if (converted > 0) {
            av_audio_fifo_write(codec_->fifo, reinterpret_cast<void**>(planes), converted);
            codec_->queuedSamples += converted;
        }
    }
    std::int64_t buffered = av_audio_fifo_size(codec_->fifo);
    if (std::isfinite(endSeconds) && endSeconds >= 0) {
        const auto endSample = static_cast<std::int64_t>(std::llround(endSeconds * codec_->outputRate()));
        buffered = std::clamp<std::int64_t>(endSample - codec_->encodedSamples, 0, buffered);
    }
    if (!encodeBuffered(buffered, sink, error)) {
        return false;
    }
    av_audio_fifo_reset(codec_->fifo);
    if (int result = avcodec_send_frame(codec_->context, nullptr); result < 0) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, result);
        return false;
    }
    return drainPackets(sink, error);
}

bool AacTrackEncoder::encodeBuffered(std::int64_t sampleCount, const PacketSink& sink, MovieWriterError& error) {
    AVCodecContext* context = codec_->context;
    AVFrame* frame = codec_->frame;
    while (sampleCount > 0) {
        const int take = static_cast<int>(std::min<std::int64_t>(sampleCount, context->frame_size));
        av_frame_unref(frame);
        frame->nb_samples = take;
        frame->format = context->sample_fmt;
        frame->sample_rate = context->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        int result = av_frame_get_buffer(frame, 0);
        if (result >= 0 && av_audio_fifo_read(codec_->fifo, reinterpret_cast<void**>(frame->data), take) < take) {
            result = AVERROR_BUG;
        }
        if (result >= 0) {
            frame->pts = codec_->encodedSamples;
            result = avcodec_send_frame(context, frame);
        }
        if (result < 0) {
            error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, result);
            return false;
        }
        codec_->encodedSamples += take;
        sampleCount -= take;
        if (!drainPackets(sink, error)) {
            return false;
        }
    }
    return true;
}

bool AacTrackEncoder::drainPackets(const PacketSink& sink, MovieWriterError& error) {
    for (;;) {
        const int received = avcodec_receive_packet(codec_->context, codec_->packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return true;
        }
        if (received < 0) {
            error = makeMovieWriterError(MovieWriterErrorCode::cannotEncodeAudio, received);
            return false;
        }
        const int written = sink(codec_->packet);
        av_packet_unref(codec_->packet);
        if (written < 0) {
            error = makeMovieWriterError(MovieWriterErrorCode::cannotWriteFile, written);
            return false;
        }
    }
}

}  // namespace UmberlinPlatform
