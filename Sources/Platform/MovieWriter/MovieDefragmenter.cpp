#include "MovieWriter/MovieDefragmenter.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace UmberlinPlatform {

namespace {

// The first `length` bytes of a file, as the demuxer's whole input.
struct FilePrefix {
    int descriptor = -1;
    std::int64_t length = 0;
    std::int64_t position = 0;
    AVIOContext* context = nullptr;

    ~FilePrefix() {
        if (context) {
            av_freep(&context->buffer);
            avio_context_free(&context);
        }
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }

    int open(const std::filesystem::path& path, std::uintmax_t usableLength) {
        descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) {
            return AVERROR(errno);
        }
        length = static_cast<std::int64_t>(usableLength);
        constexpr int bufferSize = 65536;
        auto* buffer = static_cast<unsigned char*>(av_malloc(bufferSize));
        context = buffer
                      ? avio_alloc_context(buffer, bufferSize, 0, this, &FilePrefix::read, nullptr, &FilePrefix::seek)
                      : nullptr;
        if (!context) {
            av_free(buffer);
            return AVERROR(ENOMEM);
        }
        return 0;
    }

    static int read(void* opaque, std::uint8_t* buffer, int size) {
        auto& prefix = *static_cast<FilePrefix*>(opaque);
        const std::int64_t wanted = std::min<std::int64_t>(size, prefix.length - prefix.position);
        if (wanted <= 0) {
            return AVERROR_EOF;
        }
        const ssize_t got = ::pread(prefix.descriptor, buffer, static_cast<std::size_t>(wanted), prefix.position);
        if (got < 0) {
            return AVERROR(errno);
        }
        if (got == 0) {
            return AVERROR_EOF;
        }
        prefix.position += got;
        return static_cast<int>(got);
    }

    static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
        auto& prefix = *static_cast<FilePrefix*>(opaque);
        switch (whence & ~AVSEEK_FORCE) {
            case AVSEEK_SIZE:
                return prefix.length;
            case SEEK_SET:
                break;
            case SEEK_CUR:
                offset += prefix.position;
                break;
            case SEEK_END:
                offset += prefix.length;
                break;
            default:
                return AVERROR(EINVAL);
        }
        if (offset < 0 || offset > prefix.length) {
            return AVERROR(EINVAL);
        }
        prefix.position = offset;
        return offset;
    }
};

struct Remux {
    FilePrefix prefix;  // declared first: the input reads through it until it is closed
    AVFormatContext* input = nullptr;
    AVFormatContext* output = nullptr;
    AVPacket* packet = av_packet_alloc();
    double durationSeconds = 0;

    ~Remux() {
        av_packet_free(&packet);
        avformat_close_input(&input);
        if (output && output->pb) {
            avio_closep(&output->pb);
        }
        avformat_free_context(output);
    }

    int openInput(const std::filesystem::path& source, std::optional<std::uintmax_t> usableLength) {
        if (!usableLength) {
            return avformat_open_input(&input, source.c_str(), nullptr, nullptr);
        }
        if (const int result = prefix.open(source, *usableLength); result < 0) {
            return result;
        }
        input = avformat_alloc_context();
        if (!input) {
            return AVERROR(ENOMEM);
        }
        input->pb = prefix.context;
        return avformat_open_input(&input, source.c_str(), nullptr, nullptr);
    }

    int openStreams(const std::filesystem::path& source, std::optional<std::uintmax_t> usableLength,
                    const std::filesystem::path& destination) {
        if (!packet) {
            return AVERROR(ENOMEM);
        }
        int result = openInput(source, usableLength);
        if (result >= 0) {
            result = avformat_find_stream_info(input, nullptr);
        }
        if (result >= 0) {
            result = avformat_alloc_output_context2(&output, nullptr, "mov", destination.c_str());
        }
        for (unsigned index = 0; result >= 0 && index < input->nb_streams; ++index) {
            result = copyStream(*input->streams[index]);
        }
        if (result >= 0) {
            result = avio_open(&output->pb, destination.c_str(), AVIO_FLAG_WRITE);
        }
        return result >= 0 ? avformat_write_header(output, nullptr) : result;
    }

    int copyStream(const AVStream& source) {
        AVStream* stream = avformat_new_stream(output, nullptr);
        if (!stream) {
            return AVERROR(ENOMEM);
        }
        if (int result = avcodec_parameters_copy(stream->codecpar, source.codecpar); result < 0) {
            return result;
        }
        stream->time_base = source.time_base;
        // The demuxer does not report AAC's fixed frame length; the muxer's sample table wants it.
        if (stream->codecpar->codec_id == AV_CODEC_ID_AAC && stream->codecpar->frame_size == 0) {
            stream->codecpar->frame_size = 1024;
        }
        // The rotation matrix travels as stream side data and goes back into the track header.
        for (int index = 0; index < source.nb_side_data; ++index) {
            const AVPacketSideData& side = source.side_data[index];
            std::uint8_t* copy = av_stream_new_side_data(stream, side.type, side.size);
            if (!copy) {
                return AVERROR(ENOMEM);
            }
            std::copy(side.data, side.data + side.size, copy);
        }
        return 0;
    }

    int copyPackets() {
        int result = 0;
        while ((result = av_read_frame(input, packet)) >= 0) {
            const AVStream* source = input->streams[packet->stream_index];
            if (packet->pts != AV_NOPTS_VALUE) {
                durationSeconds = std::max(
                    durationSeconds, static_cast<double>(packet->pts + packet->duration) * av_q2d(source->time_base));
            }
            av_packet_rescale_ts(packet, source->time_base, output->streams[packet->stream_index]->time_base);
            packet->pos = -1;
            if (result = av_interleaved_write_frame(output, packet); result < 0) {
                return result;
            }
        }
        if (result != AVERROR_EOF) {
            return result;
        }
        result = av_write_trailer(output);
        const int closed = avio_closep(&output->pb);
        return result < 0 ? result : closed;
    }
};

// fsync of the file or folder at `path`: 0 or a negative error code.
int syncPath(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return AVERROR(errno);
    }
    const int result = ::fsync(descriptor) == 0 ? 0 : AVERROR(errno);
    ::close(descriptor);
    return result;
}

}  // namespace

RegularMovieRewrite rewriteAsRegularMovie(const std::filesystem::path& path,
                                          std::optional<std::uintmax_t> usableLength) {
    std::string hiddenName = ".";
    hiddenName += path.filename().string();
    hiddenName += ".finishing";
    const std::filesystem::path regular = path.parent_path() / hiddenName;
    int result = 0;
    double durationSeconds = 0;
    {
        Remux remux;
        result = remux.openStreams(path, usableLength, regular);
        if (result >= 0) {
            result = remux.copyPackets();
        }
        durationSeconds = remux.durationSeconds;
    }
    // The regular movie is on the disk before its name replaces the fragmented one, and the
    // rename is, before the caller goes on: a power cut leaves one whole movie under the name.
    if (result >= 0) {
        result = syncPath(regular);
    }
    if (result >= 0 && std::rename(regular.c_str(), path.c_str()) != 0) {
        result = AVERROR(errno);
    }
    if (result >= 0) {
        syncPath(path.parent_path().empty() ? "." : path.parent_path());
    }
    if (result < 0) {
        std::error_code ignored;
        std::filesystem::remove(regular, ignored);
    }
    return {result < 0 ? result : 0, durationSeconds};
}

}  // namespace UmberlinPlatform
