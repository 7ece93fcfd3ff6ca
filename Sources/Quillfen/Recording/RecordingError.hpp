#pragma once
// The recorder's failures: its own cases, each with one fixed sentence, or an error of the
// movie writer (or of the file system beneath it), and the multi-line text the user is shown.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "MovieWriter/MovieWriter.hpp"

namespace Quillfen {

class RecordingError {
public:
    enum class Kind {
        cannotRebaseSample,  // carries the media status code
        missingVideoFormat,
        missingAudioFormat,
        cannotAddVideoInput,
        cannotAddAudioInput,
        cannotStartWriting,
        writerNotReady,
        writerStopped,
        storageCannotKeepUp,
        cannotAppendFrame,
        audioStorageCannotKeepUp,
        cannotAppendAudio,
        invalidTimestamp,
        cannotFinishWriting,
    };

    RecordingError(Kind kind) : kind_(kind) {}  // NOLINT: the cases read as values
    static RecordingError cannotRebaseSample(std::int32_t status) {
        return RecordingError(Kind::cannotRebaseSample, status);
    }

    Kind kind() const { return kind_; }
    std::int32_t status() const { return status_; }
    // The case's fixed sentence.
    std::string localizedDescription() const;

    friend bool operator==(const RecordingError&, const RecordingError&) = default;

private:
    RecordingError(Kind kind, std::int32_t status) : kind_(kind), status_(status) {}

    Kind kind_;
    std::int32_t status_ = 0;
};

// Whatever ended a recording: one of ours, or the writer's own error.
using RecorderFailure = std::variant<RecordingError, UmberlinPlatform::MovieWriterError>;

// The description, the failure reason when it says more, "File: " + the path when a file was
// involved, the domain and code of a writer error, and its underlying error; one per line.
std::string diagnosticMessage(const RecorderFailure& failure, const std::optional<std::filesystem::path>& movie);

}  // namespace Quillfen
