#include "MovieWriter/MovieDefragmenter.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstdio>
#include <system_error>

namespace UmberlinPlatform {

namespace {

struct Remux {
    AVFormatContext* input = nullptr;
    AVFormatContext* output = nullptr;
    AVPacket* packet = av_packet_alloc();

    ~Remux() {
        av_packet_free(&packet);
        avformat_close_input(&input);
        if (output && output->pb) {
            avio_closep(&output->pb);
        }
        avformat_free_context(output);
    }

    int openStreams(const std::filesystem::path& source, const std::filesystem::path& destination) {
        if (!packet) {
            return AVERROR(ENOMEM);
        }
        int result = avformat_open_input(&input, source.c_str(), nullptr, nullptr);
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

}  // namespace

int rewriteAsRegularMovie(const std::filesystem::path& path) {
    std::string hiddenName = ".";
    hiddenName += path.filename().string();
    hiddenName += ".finishing";
    const std::filesystem::path regular = path.parent_path() / hiddenName;
    int result = 0;
    {
        Remux remux;
        result = remux.openStreams(path, regular);
        if (result >= 0) {
            result = remux.copyPackets();
        }
    }
    if (result >= 0 && std::rename(regular.c_str(), path.c_str()) != 0) {
        result = AVERROR(errno);
    }
    if (result < 0) {
        std::error_code ignored;
        std::filesystem::remove(regular, ignored);
    }
    return result;
}

}  // namespace UmberlinPlatform
