#include "MovieWriter/MovieMuxer.hpp"

#include "MovieWriter/MovieWriterErrors.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

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
    // The file's inode, open for reading: tells whether the file still has a name.
    int watch = -1;

    ~Context() {
        if (watch >= 0) {
            ::close(watch);
        }
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
                                             const AVCodecContext& audioEncoder, MovieWriterError& error) {
    auto context = std::make_unique<Context>();
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

    if (result = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE); result < 0) {
        error = makeMovieWriterError(MovieWriterErrorCode::cannotCreateFile, result);
        return nullptr;
    }
    context->watch = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
    // A completed fragment reaches the disk now, not when the next one fills the I/O buffer.
    avio_flush(context_->format->pb);
    return context_->format->pb->error;
}

int MovieMuxer::writeAudio(AVPacket* packet) {
    AVStream* stream = context_->format->streams[1];
    av_packet_rescale_ts(packet, context_->audioEncoderTimeBase, stream->time_base);
    packet->stream_index = 1;
    const int result = av_write_frame(context_->format, packet);
    if (result < 0) {
        return result;
    }
    avio_flush(context_->format->pb);
    return context_->format->pb->error;
}

bool MovieMuxer::fileStillLinked() const {
    struct stat status {};
    return context_->watch < 0 || ::fstat(context_->watch, &status) != 0 || status.st_nlink > 0;
}

int MovieMuxer::finish() {
    int result = av_write_trailer(context_->format);
    const int closed = avio_closep(&context_->format->pb);
    return result < 0 ? result : closed;
}

}  // namespace UmberlinPlatform
