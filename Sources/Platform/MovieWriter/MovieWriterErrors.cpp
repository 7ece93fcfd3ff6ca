#include "MovieWriter/MovieWriterErrors.hpp"

extern "C" {
#include <libavutil/error.h>
}

#include <cstring>

namespace UmberlinPlatform {

namespace {

std::string descriptionFor(std::int64_t code) {
    switch (code) {
        case MovieWriterErrorCode::cannotCreateFile:
            return "The movie file could not be created.";
        case MovieWriterErrorCode::cannotWriteFile:
            return "The movie file could not be written.";
        case MovieWriterErrorCode::cannotEncodeAudio:
            return "The audio could not be encoded to AAC.";
        case MovieWriterErrorCode::cannotFinishFile:
            return "The movie file could not be completed.";
        case MovieWriterErrorCode::fileRemoved:
            return "The movie file or its folder was deleted during the recording.";
        default:
            return "The movie cannot hold this video or audio format.";
    }
}

}  // namespace

MovieWriterError makePosixError(int errorNumber) {
    return MovieWriterError{posixErrorDomain, errorNumber, std::strerror(errorNumber), std::nullopt, nullptr};
}

MovieWriterError makeMovieWriterError(std::int64_t code, int ffmpegError) {
    MovieWriterError error{movieWriterErrorDomain, code, descriptionFor(code), std::nullopt, nullptr};
    if (ffmpegError == 0) {
        return error;
    }
    // FFmpeg reports system failures as negated errno values; anything else is its own code.
    const int errorNumber = AVUNERROR(ffmpegError);
    if (errorNumber > 0 && errorNumber < 4096) {
        auto underlying = std::make_shared<MovieWriterError>(makePosixError(errorNumber));
        error.localizedFailureReason = underlying->localizedDescription + ".";
        error.underlyingError = std::move(underlying);
    } else {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(ffmpegError, text, sizeof text);
        error.underlyingError =
            std::make_shared<MovieWriterError>(MovieWriterError{"FFmpeg", ffmpegError, text, std::nullopt, nullptr});
    }
    return error;
}

}  // namespace UmberlinPlatform
