#pragma once
// Shared by the recorder's source files: how work reaches the queue and how failures are caught.

#include <utility>

#include "Recording/NetworkVideoRecorder.hpp"

namespace Quillfen {

template <typename Work> void NetworkVideoRecorder::onQueue(Work work) {
    queue_->async([weakSelf = weak_from_this(), work = std::move(work)]() mutable {
        if (auto self = weakSelf.lock()) {
            work(*self);
        }
    });
}

template <typename Work> bool NetworkVideoRecorder::runOrFail(Work work) {
    std::optional<RecorderFailure> failure;
    try {
        work();
    } catch (const RecordingError& error) {
        failure = error;
    } catch (const UmberlinPlatform::MovieWriterError& error) {
        failure = error;
    }
    if (failure) {
        failOnQueue(*failure);
        return false;
    }
    return true;
}

// The writer's own error when it has one, else `fallback`.
inline RecorderFailure writerErrorOr(const UmberlinPlatform::MovieWriter& writer, RecordingError fallback) {
    if (auto error = writer.error()) {
        return *error;
    }
    return fallback;
}

// Throws the writer's own error when it has one, else `fallback`, for runOrFail to catch.
[[noreturn]] inline void throwWriterFailure(const UmberlinPlatform::MovieWriter& writer, RecordingError fallback) {
    if (auto error = writer.error()) {
        throw *error;
    }
    throw fallback;
}

// Throws the writer's error (or writerStopped) unless it is writing.
inline void requireWriting(const UmberlinPlatform::MovieWriter& writer) {
    if (writer.status() != UmberlinPlatform::MovieWriterStatus::writing) {
        throwWriterFailure(writer, RecordingError::Kind::writerStopped);
    }
}

}  // namespace Quillfen
