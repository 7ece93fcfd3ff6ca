// Builds the writer's errors: a sentence of our own for what failed, with the system's reason
// (an errno behind an FFmpeg error code) as the underlying error.
#pragma once

#include "MovieWriter/MovieWriter.hpp"

namespace UmberlinPlatform {

// `ffmpegError` is a negative AVERROR code (or 0 when there is no system reason).
MovieWriterError makeMovieWriterError(std::int64_t code, int ffmpegError);

// The error for a failed POSIX call, as its errno.
MovieWriterError makePosixError(int errorNumber);

}  // namespace UmberlinPlatform
