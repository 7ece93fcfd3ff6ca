// The movie writer port: one QuickTime movie with one HEVC track (passed through untouched) and
// one AAC track (encoded from linear PCM). The recorder talks only to this interface; the real
// writer (FfmpegMovieWriter) muxes and encodes on its own thread, and tests use a fake.
//
// Errors: like every platform port it throws nothing. An operation that can fail returns false
// (or nothing) and the writer's status and error() say why; creation returns the error beside
// the missing writer.
//
// Life of a writer: create it for a path, add the video and audio inputs, startWriting, start the
// session at a source time, append samples while the inputs are ready, mark the inputs finished,
// end the session, finishWriting (asynchronous). cancelWriting stops at any point. Releasing a
// writer cancels it unless it is finishing, and returns at once, also while a write is stuck on
// stalled storage; the writer's thread stays owned by the factory that made it (the real one's
// MovieWriterThreads), not by the writer.
#pragma once

#include "Media/AudioFormatDescription.hpp"
#include "Media/MediaTime.hpp"
#include "Media/SampleBuffer.hpp"
#include "Media/VideoFormatDescription.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace UmberlinPlatform {

// An error of the writer or of the system beneath it, with what a diagnostic needs to say.
struct MovieWriterError {
    std::string domain;  // e.g. movieWriterErrorDomain, or posixErrorDomain
    std::int64_t code = 0;
    std::string localizedDescription;  // one sentence
    std::optional<std::string> localizedFailureReason;
    std::shared_ptr<const MovieWriterError> underlyingError;
};

inline constexpr const char* movieWriterErrorDomain = "org.umberlin.movie-writer";
inline constexpr const char* posixErrorDomain = "NSPOSIXErrorDomain";

// The writer's own error codes (domain movieWriterErrorDomain).
namespace MovieWriterErrorCode {
inline constexpr std::int64_t cannotCreateFile = 1;      // the file could not be opened or replaced
inline constexpr std::int64_t cannotWriteFile = 2;       // writing the file failed (disk full, I/O error)
inline constexpr std::int64_t cannotEncodeAudio = 3;     // the AAC encoder refused the audio
inline constexpr std::int64_t cannotFinishFile = 4;      // the file could not be completed
inline constexpr std::int64_t invalidConfiguration = 5;  // inputs or formats the movie cannot hold
inline constexpr std::int64_t fileRemoved = 6;           // the file, or its folder, was deleted while writing
}  // namespace MovieWriterErrorCode

// Integer codes as the status is logged: 0 unknown, 1 writing, 2 completed, 3 failed, 4 cancelled.
enum class MovieWriterStatus { unknown = 0, writing = 1, completed = 2, failed = 3, cancelled = 4 };

// The track header's display transform: a point (x, y) of the stored picture is shown at
// (a x + c y + tx, b x + d y + ty).
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

struct VideoInputSettings {
    std::shared_ptr<const Media::VideoFormatDescription> sourceFormatHint;  // the phone's HEVC format
    AffineTransform transform;
};

// What the AAC track is encoded to; the PCM arrives in the audio input's source format.
struct AacOutputSettings {
    double sampleRate = 48000;  // the source rate; the writer resamples rates AAC cannot hold
    int channelCount = 2;
    int bitRate = 192000;  // bits per second

    friend bool operator==(const AacOutputSettings&, const AacOutputSettings&) = default;
};

struct AudioInputSettings {
    std::shared_ptr<const Media::AudioFormatDescription> sourceFormatHint;  // interleaved 16-bit PCM
    AacOutputSettings outputSettings;
};

class MovieWriterInput {
public:
    virtual ~MovieWriterInput() = default;
    // Whether an append now would be taken without waiting: false while the writer is behind.
    virtual bool isReadyForMoreMediaData() const = 0;
    // Queues one buffer (times on the session's time line). False when the writer is not
    // writing, the input is finished, or the buffer cannot be written (no timing, a time not
    // after the previous one, a format other than the input's).
    virtual bool append(const Media::SampleBufferRef& sampleBuffer) = 0;
    // No more buffers will come for this input.
    virtual void markAsFinished() = 0;
};

class MovieWriter {
public:
    virtual ~MovieWriter() = default;

    virtual MovieWriterStatus status() const = 0;
    // Why the writer failed; nothing while it has not.
    virtual std::optional<MovieWriterError> error() const = 0;

    // Inputs can be added before startWriting only, one of each kind; nothing when they cannot.
    virtual std::shared_ptr<MovieWriterInput> addVideoInput(const VideoInputSettings& settings) = 0;
    virtual std::shared_ptr<MovieWriterInput> addAudioInput(const AudioInputSettings& settings) = 0;

    // Opens the file. False on failure, with error() telling why.
    virtual bool startWriting() = 0;
    // The source time that becomes the movie's zero.
    virtual void startSession(const Media::MediaTime& sourceTime) = 0;
    // The source time at which the movie ends.
    virtual void endSession(const Media::MediaTime& sourceTime) = 0;
    // Writes what is queued and completes the file; `completion` runs once afterwards, on a
    // thread of the writer's choosing, when status() is completed or failed.
    virtual void finishWriting(std::function<void()> completion) = 0;
    // Stops at once: queued samples are dropped, the file is closed with what was written.
    virtual void cancelWriting() = 0;
};

// Creates a writer for a QuickTime movie at `path` (nothing is opened yet), or the error why not.
struct MovieWriterCreation {
    std::shared_ptr<MovieWriter> writer;
    std::optional<MovieWriterError> error;
};
using MovieWriterFactory = std::function<MovieWriterCreation(const std::filesystem::path& path)>;

}  // namespace UmberlinPlatform
