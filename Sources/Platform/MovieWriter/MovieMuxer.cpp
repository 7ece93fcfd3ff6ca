#include "MovieWriter/MovieMuxer.hpp"

#include "MovieWriter/MovieFileLock.hpp"
#include "MovieWriter/MovieWriterErrors.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <cmath>
#include <cstring>
#include <optional>

namespace UmberlinPlatform {

namespace {

// A fragment at every key frame, and at least once a second when key frames are rare.
constexpr const char* fragmentedMovieFlags = "frag_keyframe+empty_moov+delay_moov";
constexpr const char* longestFragmentMicroseconds = "1000000";

std::int32_t fixed16(double value) { return static_cast<std::int32_t>(std::lround(value * 65536.0)); }

}  // namespace

std::array<std::int32_t, 9> displayMatrixFor(const AffineTransform& transform) {
    return {fixed16(transform.a),  fixed16(transform.b),  0,      fixed16(transform.c), fixed16(transform.d), 0,
            fixed16(transform.tx), fixed16(transform.ty), 1 << 30};
}

struct MovieMuxer::Context {
    AVFormatContext* format = nullptr;
    AVPacket* packet = nullptr;
    AVRational audioEncoderTimeBase{1, 1};
    // Held from before the file's first byte until the muxer is gone (after the rewrite).
    std::optional<MovieFileLock> lock;
    MovieFileSync syncFile;
    std::int64_t syncedLength = 0;

    ~Context() {
        if (format && format->pb) {
            avio_closep(&format->pb);
        }
        avformat_free_context(format);
        av_packet_free(&packet);
    }
};

MovieMuxer::MovieMuxer(std::unique_ptr<Context> context) : context_(std::move(context)) {}
MovieMuxer::~MovieMuxer() = default;

std::unique_ptr<MovieMuxer> MovieMuxer::open(const std::filesystem::path& path, const VideoInputSettings& video,
                                             const AVCodecContext& audioEncoder, MovieFileSync syncFile,
                                             MovieWriterError& error) {
    auto context = std::make_unique<Context>();
    context->syncFile = std::move(syncFile);
    context->packet = av_packet_alloc();
    int result = avformat_alloc_output_context2(&context->format, nullptr, "mov", path.c_str());
    if (result < 0 || !context->packet) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotCreateFile, result < 0 ? result : AVERROR(ENOMEM));
        return nullptr;
    }
    AVFormatContext* format = context->format;

    const Media::VideoFormatDescription& videoFormat = *video.sourceFormatHint;
    const Media::Bytes& record = videoFormat.movieConfigurationRecord();
    AVStream* videoStream = avformat_new_stream(format, nullptr);
    AVStream* audioStream = avformat_new_stream(format, nullptr);
    auto* extradata = static_cast<std::uint8_t*>(av_mallocz(record.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    auto* matrix = reinterpret_cast<std::int32_t*>(
        videoStream ? av_stream_new_side_data(videoStream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t))
                    : nullptr);
    if (!videoStream || !audioStream || !extradata || !matrix) {
        av_free(extradata);
        error = makeMovieWriterError(MovieWriterErrorCode::cannotCreateFile, AVERROR(ENOMEM));
        return nullptr;
    }
    // The hvcC goes into the file as it is; with the hvc1 tag the parameter sets live only there.
    std::memcpy(extradata, record.data(), record.size());
    AVCodecParameters* videoParameters = videoStream->codecpar;
    videoParameters->codec_type = AVMEDIA_TYPE_VIDEO;
    videoParameters->codec_id = AV_CODEC_ID_HEVC;
    videoParameters->codec_tag = MKTAG('h', 'v', 'c', '1');
    videoParameters->width = videoFormat.dimensions().width;
    videoParameters->height = videoFormat.dimensions().height;
    videoParameters->extradata = extradata;
    videoParameters->extradata_size = static_cast<int>(record.size());
    // A 1/90000 time base keeps the track header at version 0, which every player reads.
    videoStream->time_base = AVRational{1, videoTimeScale};
    // The muxer copies these nine values verbatim into the track header.
    const auto values = displayMatrixFor(video.transform);
    std::memcpy(matrix, values.data(), sizeof values);

    if (result = avcodec_parameters_from_context(audioStream->codecpar, &audioEncoder); result < 0) {
        error = makeMovieWriterError(MovieWriterErrorCode::invalidConfiguration, result);
        return nullptr;
    }
    audioStream->time_base = AVRational{1, audioEncoder.sample_rate};
    context->audioEncoderTimeBase = audioEncoder.time_base;

    int errorNumber = 0;
    context->lock = MovieFileLock::acquireForWriting(path, errorNumber);
    if (!context->lock) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotCreateFile, AVERROR(errorNumber));
        return nullptr;
    }
    if (result = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE); result < 0) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotCreateFile, result);
        return nullptr;
    }
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", fragmentedMovieFlags, 0);
    av_dict_set(&options, "frag_duration", longestFragmentMicroseconds, 0);
    result = avformat_write_header(format, &options);
    av_dict_free(&options);
    if (result < 0) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotWriteFile, result);
        return nullptr;
    }
    return std::unique_ptr<MovieMuxer>(new MovieMuxer(std::move(context)));
}

int MovieMuxer::writeVideo(Media::ByteView accessUnit, std::int64_t presentationTime, std::int64_t decodeTime,
                           std::int64_t duration, bool isKeyFrame) {
    AVPacket* packet = context_->packet;
    av_packet_unref(packet);
    // Not reference counted: the muxer copies the bytes into its fragment, never keeps the pointer.
    packet->data = const_cast<std::uint8_t*>(accessUnit.data());
    packet->size = static_cast<int>(accessUnit.size());
    packet->pts = presentationTime;
    packet->dts = decodeTime;
    packet->duration = duration;
    packet->flags = isKeyFrame ? AV_PKT_FLAG_KEY : 0;
    packet->stream_index = 0;
    const int result = av_write_frame(context_->format, packet);
    packet->data = nullptr;
    packet->size = 0;
    if (result < 0) {
        return result;
    }
    return flushFragment();
}

int MovieMuxer::writeAudio(AVPacket* packet) {
    AVStream* stream = context_->format->streams[1];
    av_packet_rescale_ts(packet, context_->audioEncoderTimeBase, stream->time_base);
    packet->stream_index = 1;
    const int result = av_write_frame(context_->format, packet);
    if (result < 0) {
        return result;
    }
    return flushFragment();
}

// The muxer hands the file a whole fragment at a time. A completed fragment goes to the system
// now, not when the next one fills the I/O buffer, and is made durable before the next one starts:
// a power cut then loses at most the fragment being gathered (about a second).
int MovieMuxer::flushFragment() {
    AVIOContext* output = context_->format->pb;
    avio_flush(output);
    if (output->error < 0) {
        return output->error;
    }
    const std::int64_t length = avio_tell(output);
    if (length == context_->syncedLength || !context_->syncFile) {
        return 0;
    }
    if (const int errorNumber = context_->syncFile(context_->lock->descriptor()); errorNumber != 0) {
        return AVERROR(errorNumber);
    }
    context_->syncedLength = length;
    return 0;
}

bool MovieMuxer::fileStillLinked() const { return context_->lock->stillLinked(); }

int MovieMuxer::finish() {
    int result = av_write_trailer(context_->format);
    if (result >= 0) {
        result = flushFragment();
    }
    const int closed = avio_closep(&context_->format->pb);
    return result < 0 ? result : closed;
}

}  // namespace UmberlinPlatform
