// The movie file itself (libavformat's QuickTime muxer): one HEVC track whose samples are the
// phone's access units, one AAC track from the encoder.
//
// The file is written as a fragmented movie (a fragment at each key frame and at least every
// second, each flushed and synced to disk), so a crash or power cut leaves every complete fragment
// playable.
// The first moov waits until both tracks have samples, so it carries the edit list that hides the
// AAC encoder's priming. finish() then rewrites the movie as a regular one (see MovieDefragmenter).
//
//   ftyp | moov (track headers, hvcC, esds, edit lists) | moof mdat | moof mdat | ... | mfra
#pragma once

#include "MovieWriter/FfmpegMovieWriter.hpp"
#include "MovieWriter/MovieWriter.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>

struct AVCodecContext;
struct AVPacket;

namespace UmberlinPlatform {

class MovieMuxer {
public:
    // Creates (or truncates) the file. Nothing, with `error` set, when it cannot be opened or the
    // formats cannot be written.
    // The file is locked for its writer (MovieFileLock) before its first byte, until the muxer is
    // gone; `syncFile` makes each fragment durable.
    static std::unique_ptr<MovieMuxer> open(const std::filesystem::path& path, const VideoInputSettings& video,
                                            const AVCodecContext& audioEncoder, MovieFileSync syncFile,
                                            MovieWriterError& error);
    ~MovieMuxer();
    MovieMuxer(const MovieMuxer&) = delete;
    MovieMuxer& operator=(const MovieMuxer&) = delete;

    // One access unit, length prefixes already in the movie's length size; times in 1/90000 s.
    // Gives 0 or a negative FFmpeg error code.
    int writeVideo(Media::ByteView accessUnit, std::int64_t presentationTime, std::int64_t decodeTime,
                   std::int64_t duration, bool isKeyFrame);
    // One encoder packet, in the encoder's time base. Gives 0 or a negative FFmpeg error code.
    int writeAudio(AVPacket* packet);

    // Writes the last fragment and the index and closes the file (the lock stays held until the
    // muxer is destroyed). 0 or a negative error code.
    int finish();

    // False once the file has no name left in the file system: it, or its folder, was deleted.
    bool fileStillLinked() const;

    static constexpr int videoTimeScale = 90000;

private:
    struct Context;
    explicit MovieMuxer(std::unique_ptr<Context> context);
    int flushFragment();
    std::unique_ptr<Context> context_;
};

// The track header matrix for `transform`: nine 32-bit values, a b u c d v tx ty w, with a, b, c,
// d, tx, ty in 16.16 fixed point and u, v, w in 2.30 (w = 1).
std::array<std::int32_t, 9> displayMatrixFor(const AffineTransform& transform);

}  // namespace UmberlinPlatform
