// Encodes the phone's interleaved 16-bit PCM to AAC for the movie's audio track (libavcodec's
// native encoder, which takes planar float frames of exactly 1024 samples: libswresample converts
// and, above 96 kHz, resamples to 48 kHz; an AVAudioFifo cuts the frames).
//
// The track's time line starts at the movie's zero: silence fills the time before the first
// buffer and any gap between buffers, and samples that overlap earlier ones are trimmed, so each
// sample plays at its own timestamp. Packets carry the encoder's timestamps, which start 1024
// samples early (the encoder's priming); the movie's edit list hides that lead-in.
#pragma once

#include "MovieWriter/MovieWriter.hpp"

#include <cstdint>
#include <functional>
#include <memory>

struct AVCodecContext;
struct AVPacket;

namespace UmberlinPlatform {

class AacTrackEncoder {
public:
    // Takes each packet (in codecContext()'s time base) and gives 0, or a negative FFmpeg error
    // code that stops encoding with a write error.
    using PacketSink = std::function<int(AVPacket* packet)>;

    // Nothing, with `error` set, when the source or the settings cannot be encoded.
    static std::unique_ptr<AacTrackEncoder> open(const Media::AudioStreamBasicDescription& source,
                                                 const AacOutputSettings& settings, MovieWriterError& error);
    ~AacTrackEncoder();
    AacTrackEncoder(const AacTrackEncoder&) = delete;
    AacTrackEncoder& operator=(const AacTrackEncoder&) = delete;

    // The opened encoder, with the AudioSpecificConfig as extradata, for the movie's track.
    const AVCodecContext* codecContext() const;
    int outputSampleRate() const;

    // Whole frames of interleaved PCM, the first of them at `startSeconds` on the track's time
    // line. False, with `error` set, when encoding or the sink fails.
    bool encode(Media::ByteView pcm, double startSeconds, const PacketSink& sink, MovieWriterError& error);

    // Fills the track with silence up to `seconds` when it has not reached that far, so that a
    // phone whose audio stalls does not hold the movie's fragments back. Later audio for that
    // stretch is trimmed as overlap.
    bool padWithSilenceUntil(double seconds, const PacketSink& sink, MovieWriterError& error);

    // Encodes what is still buffered, ending the track at `endSeconds` when that is earlier than
    // its last sample (a negative or non-finite end keeps everything), and drains the encoder.
    bool finish(double endSeconds, const PacketSink& sink, MovieWriterError& error);

private:
    struct Codec;
    explicit AacTrackEncoder(std::unique_ptr<Codec> codec);
    // Encodes `sampleCount` buffered samples in frames of 1024 (the last one may be shorter).
    bool encodeBuffered(std::int64_t sampleCount, const PacketSink& sink, MovieWriterError& error);
    bool appendSilence(std::int64_t sampleCount, MovieWriterError& error);
    bool drainPackets(const PacketSink& sink, MovieWriterError& error);

    std::unique_ptr<Codec> codec_;
};

}  // namespace UmberlinPlatform
