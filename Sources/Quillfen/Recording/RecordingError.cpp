#include "Recording/RecordingError.hpp"

#include <vector>

namespace Quillfen {

std::string RecordingError::localizedDescription() const {
    switch (kind_) {
        case Kind::cannotRebaseSample:
            return "A video timestamp could not be prepared (" + std::to_string(status_) + ").";
        case Kind::missingVideoFormat:
            return "The camera stream has no usable video format.";
        case Kind::missingAudioFormat:
            return "The phone stream has no usable audio format.";
        case Kind::cannotAddVideoInput:
            return "The HEVC stream cannot be added to the recording.";
        case Kind::cannotAddAudioInput:
            return "The phone audio stream cannot be added to the recording.";
        case Kind::cannotStartWriting:
            return "The recording file could not be started.";
        case Kind::writerNotReady:
            return "The recording writer is not ready.";
        case Kind::writerStopped:
            return "The recording writer stopped unexpectedly.";
        case Kind::storageCannotKeepUp:
            return "The selected storage could not keep up with the camera stream.";
        case Kind::cannotAppendFrame:
            return "A video frame could not be written.";
        case Kind::audioStorageCannotKeepUp:
            return "The AAC encoder stayed busy long enough to exhaust the phone-audio buffer.";
        case Kind::cannotAppendAudio:
            return "A phone audio frame could not be written.";
        case Kind::invalidTimestamp:
            return "The camera sent a frame with an invalid timestamp.";
        case Kind::cannotFinishWriting:
            return "The recording file could not be finalized.";
    }
    return {};
}

std::string diagnosticMessage(const RecorderFailure& failure, const std::optional<std::filesystem::path>& movie) {
    std::vector<std::string> lines;
    const auto* writerError = std::get_if<UmberlinPlatform::MovieWriterError>(&failure);
    const std::string description =
        writerError ? writerError->localizedDescription : std::get<RecordingError>(failure).localizedDescription();
    lines.push_back(description);
    if (writerError && writerError->localizedFailureReason && *writerError->localizedFailureReason != description) {
        lines.push_back(*writerError->localizedFailureReason);
    }
    if (movie) {
        lines.push_back("File: " + movie->string());
    }
    if (writerError) {
        lines.push_back("Technical details: " + writerError->domain + " (" + std::to_string(writerError->code) + ")");
        if (const auto& underlying = writerError->underlyingError) {
            lines.push_back("Underlying error: " + underlying->domain + " (" + std::to_string(underlying->code) +
                            "): " + underlying->localizedDescription);
        }
    }
    std::string message = lines.front();
    for (std::size_t index = 1; index < lines.size(); ++index) {
        message += "\n" + lines[index];
    }
    return message;
}

}  // namespace Quillfen
