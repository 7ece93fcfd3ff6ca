#include "Recording/NetworkVideoRecorder.hpp"

#include <cmath>
#include <system_error>

#include "Dispatch/ThreadSerialQueue.hpp"
#include "Log/DiagnosticLog.hpp"
#include "MovieWriter/FfmpegMovieWriter.hpp"
#include "MovieWriter/MovieWriterErrors.hpp"
#include "Recording/NetworkVideoRecorderQueueing.hpp"
#include "Recording/NetworkVideoRecorderSettings.hpp"

namespace Quillfen {

using UmberlinPlatform::MovieWriterStatus;

NetworkVideoRecorderPorts systemNetworkVideoRecorderPorts() {
    return {UmberlinPlatform::makeSerialQueue("org.umberlin.rezuvidodo.video-recorder"),
            UmberlinPlatform::makeFfmpegMovieWriterFactory()};
}

std::shared_ptr<NetworkVideoRecorder> NetworkVideoRecorder::make(NetworkVideoRecorderPorts ports) {
    return std::make_shared<NetworkVideoRecorder>(ConstructionToken{}, std::move(ports));
}

NetworkVideoRecorder::NetworkVideoRecorder(ConstructionToken, NetworkVideoRecorderPorts ports)
    : queue_(std::move(ports.queue)), makeWriter_(std::move(ports.makeWriter)) {}

// Public operations

void NetworkVideoRecorder::prepare(std::filesystem::path to, int rotationAngleDegrees) {
    onQueue([to = std::move(to), rotationAngleDegrees](NetworkVideoRecorder& self) {
        self.prepareOnQueue(to, rotationAngleDegrees);
    });
}

void NetworkVideoRecorder::append(Media::SampleBufferRef sampleBuffer) {
    onQueue([sampleBuffer = std::move(sampleBuffer)](NetworkVideoRecorder& self) {
        self.appendVideoOnQueue(sampleBuffer);
    });
}

void NetworkVideoRecorder::appendAudio(Media::SampleBufferRef sampleBuffer) {
    onQueue([sampleBuffer = std::move(sampleBuffer)](NetworkVideoRecorder& self) {
        self.appendAudioBufferOnQueue(sampleBuffer);
    });
}

void NetworkVideoRecorder::updateAudioFormat(std::shared_ptr<const Media::AudioFormatDescription> formatDescription) {
    onQueue([formatDescription = std::move(formatDescription)](NetworkVideoRecorder& self) {
        self.updateAudioFormatOnQueue(formatDescription);
    });
}

void NetworkVideoRecorder::stop(std::function<void()> completion) {
    queue_->async([weakSelf = weak_from_this(), completion = std::move(completion)]() mutable {
        auto self = weakSelf.lock();
        if (!self) {
            if (completion) {
                completion();
            }
            return;
        }
        if (completion) {
            self->stopCompletions_.push_back(std::move(completion));
        }
        self->finishOnQueue();
    });
}

void NetworkVideoRecorder::resetFailure() {
    onQueue([](NetworkVideoRecorder& self) { self.resetFailureOnQueue(); });
}

// State

void NetworkVideoRecorder::setState(State state) {
    if (state == state_) {
        return;
    }
    state_ = std::move(state);
    if (onStateChanged) {
        onStateChanged(state_);
    }
}

void NetworkVideoRecorder::prepareOnQueue(const std::filesystem::path& movie, int rotationAngleDegrees) {
    resetFailureOnQueue();
    if (state_.kind() != State::Kind::idle) {
        return;
    }
    outputMovie_ = movie;
    rotationAngleDegrees_ = normalizedRotation(rotationAngleDegrees);
    sourceStartTime_.reset();
    audioSourceStartTime_.reset();
    lastOutputTime_ = Media::MediaTime::zero();
    lastVideoEnd_.reset();
    lastAudioEnd_.reset();
    lastPublishedSecond_ = -1;
    setState(State::waitingForKeyFrame(movie));
    if (onDurationChanged) {
        onDurationChanged(0);
    }
}

void NetworkVideoRecorder::resetFailureOnQueue() {
    if (state_.kind() != State::Kind::failed) {
        return;
    }
    resetWriter();
    setState(State::idle());
}

void NetworkVideoRecorder::resetWriter() {
    writer_.reset();
    videoInput_.reset();
    audioInput_.reset();
    outputMovie_.reset();
    sourceStartTime_.reset();
    audioSourceStartTime_.reset();
    lastOutputTime_ = Media::MediaTime::zero();
    lastVideoEnd_.reset();
    lastAudioEnd_.reset();
    lastPublishedSecond_ = -1;
    pendingAudioSamples_.clear();
    audioDrainScheduled_ = false;
}

// Video

void NetworkVideoRecorder::appendVideoOnQueue(const Media::SampleBufferRef& sampleBuffer) {
    switch (state_.kind()) {
        case State::Kind::waitingForKeyFrame:
            if (!sampleBuffer->isKeyFrame() || !audioFormatDescription_) {
                return;
            }
            runOrFail([&] {
                beginWriting(*sampleBuffer);
                appendOnQueue(*sampleBuffer);
            });
            return;
        case State::Kind::recording:
            runOrFail([&] { appendOnQueue(*sampleBuffer); });
            return;
        default:
            return;
    }
}

void NetworkVideoRecorder::beginWriting(const Media::SampleBuffer& keyFrame) {
    const auto videoFormat = keyFrame.videoFormatDescription();
    if (!outputMovie_ || !videoFormat) {
        throw RecordingError(RecordingError::Kind::missingVideoFormat);
    }
    if (!audioFormatDescription_) {
        throw RecordingError(RecordingError::Kind::missingAudioFormat);
    }
    const std::filesystem::path movie = *outputMovie_;
    std::error_code removeError;
    if (std::filesystem::exists(std::filesystem::symlink_status(movie, removeError))) {
        std::filesystem::remove(movie, removeError);
        if (removeError) {
            throw UmberlinPlatform::makePosixError(removeError.value());
        }
    }
    UmberlinPlatform::MovieWriterCreation creation = makeWriter_(movie);
    if (!creation.writer) {
        throw creation.error.value_or(UmberlinPlatform::MovieWriterError{});
    }
    auto writer = std::move(creation.writer);

    auto videoInput = writer->addVideoInput(
        {videoFormat, videoTransform(normalizedRotation(rotationAngleDegrees_), videoFormat->dimensions())});
    if (!videoInput) {
        throw RecordingError(RecordingError::Kind::cannotAddVideoInput);
    }
    auto audioInput = writer->addAudioInput({audioFormatDescription_, audioOutputSettings(audioFormatDescription_)});
    if (!audioInput) {
        throw RecordingError(RecordingError::Kind::cannotAddAudioInput);
    }
    if (!writer->startWriting()) {
        throwWriterFailure(*writer, RecordingError::Kind::cannotStartWriting);
    }
    writer->startSession(Media::MediaTime::zero());

    writer_ = std::move(writer);
    videoInput_ = std::move(videoInput);
    audioInput_ = std::move(audioInput);
    sourceStartTime_ = keyFrame.presentationTimeStamp();
    setState(State::recording(movie));
    UmberlinPlatform::logLine("[Umberlin recording] Started HEVC + AAC recording: " + movie.filename().string());
}

void NetworkVideoRecorder::appendOnQueue(const Media::SampleBuffer& sampleBuffer) {
    if (!writer_ || !videoInput_ || !sourceStartTime_) {
        throw RecordingError(RecordingError::Kind::writerNotReady);
    }
    requireWriting(*writer_);
    // Video is never queued here: a writer that cannot take a frame now is a writer that is
    // falling behind the camera, and the recording fails rather than silently dropping frames.
    if (!videoInput_->isReadyForMoreMediaData()) {
        throw RecordingError(RecordingError::Kind::storageCannotKeepUp);
    }
    if (sampleBuffer.presentationTimeStamp().isValid()) {
        placeSample(sampleBuffer.presentationTimeStamp(), *sourceStartTime_, lastVideoEnd_, "video");
    }
    const Media::SampleBufferRef rebased = rebasedSampleBuffer(sampleBuffer, *sourceStartTime_);
    if (!videoInput_->append(rebased)) {
        throwWriterFailure(*writer_, RecordingError::Kind::cannotAppendFrame);
    }
    const Media::MediaTime duration = rebased->duration();
    const Media::MediaTime endTime =
        rebased->presentationTimeStamp() + (duration.isValid() ? duration : Media::MediaTime::zero());
    if (endTime.isValid()) {
        lastVideoEnd_ = endTime;
    }
    if (endTime.isValid() && endTime > lastOutputTime_) {
        lastOutputTime_ = endTime;
    }
    publishDurationOnQueue();
}

void NetworkVideoRecorder::publishDurationOnQueue() {
    double seconds = lastOutputTime_.seconds();
    if (std::isnan(seconds) || seconds < 0) {
        seconds = 0;
    }
    const auto wholeSeconds = static_cast<std::int64_t>(std::trunc(seconds));
    if (wholeSeconds != lastPublishedSecond_) {
        lastPublishedSecond_ = wholeSeconds;
        if (onDurationChanged) {
            onDurationChanged(seconds);
        }
    }
}

// Finishing and failing

void NetworkVideoRecorder::finishOnQueue() {
    switch (state_.kind()) {
        case State::Kind::waitingForKeyFrame:
            resetWriter();
            setState(State::idle());
            completeStopRequests();
            return;
        case State::Kind::recording: {
            if (!writer_ || !audioInput_) {
                failOnQueue(RecordingError(RecordingError::Kind::writerNotReady));
                return;
            }
            if (writer_->status() != MovieWriterStatus::writing) {
                failOnQueue(writerErrorOr(*writer_, RecordingError::Kind::writerStopped));
                return;
            }
            setState(State::finishing(state_.movie()));
            auto writer = writer_;
            auto audioInput = audioInput_;
            if (runOrFail([&] { drainPendingAudioOnQueue(*writer, *audioInput); }) && pendingAudioSamples_.empty()) {
                finalizeWriterOnQueue();
            }
            return;
        }
        case State::Kind::finishing:
            return;  // the completion waits for the end of finalising
        case State::Kind::failed:
        case State::Kind::idle:
            completeStopRequests();
            return;
    }
}

void NetworkVideoRecorder::finalizeWriterOnQueue() {
    if (state_.kind() != State::Kind::finishing) {
        return;
    }
    if (!writer_ || !videoInput_ || !audioInput_) {
        failOnQueue(RecordingError(RecordingError::Kind::writerNotReady));
        return;
    }
    if (writer_->status() != MovieWriterStatus::writing) {
        failOnQueue(writerErrorOr(*writer_, RecordingError::Kind::writerStopped));
        return;
    }
    videoInput_->markAsFinished();
    audioInput_->markAsFinished();
    if (lastOutputTime_.isValid() && lastOutputTime_ > Media::MediaTime::zero()) {
        writer_->endSession(lastOutputTime_);
    }
    // The writer completes on its own thread; the result comes back to this queue.
    writer_->finishWriting([queue = queue_, weakSelf = weak_from_this(),
                            weakWriter = std::weak_ptr<UmberlinPlatform::MovieWriter>(writer_),
                            movie = state_.movie()] {
        if (weakSelf.expired()) {
            return;
        }
        queue->async([weakSelf, weakWriter, movie] {
            if (auto self = weakSelf.lock()) {
                self->writerFinishedOnQueue(weakWriter.lock(), movie);
            }
        });
    });
}

void NetworkVideoRecorder::writerFinishedOnQueue(const std::shared_ptr<UmberlinPlatform::MovieWriter>& writer,
                                                 const std::filesystem::path& movie) {
    // A completion that no longer belongs to the current recording changes nothing.
    if (state_.kind() != State::Kind::finishing || (writer && writer != writer_)) {
        return;
    }
    if (!writer) {
        failOnQueue(RecordingError(RecordingError::Kind::writerStopped));
        return;
    }
    const MovieWriterStatus status = writer->status();
    UmberlinPlatform::logLine("[Umberlin recording] Finished HEVC + AAC recording with writer status " +
                              std::to_string(static_cast<int>(status)));
    if (status != MovieWriterStatus::completed) {
        failOnQueue(writerErrorOr(*writer, RecordingError::Kind::cannotFinishWriting));
        return;
    }
    // A movie is reported as saved only where it really is.
    std::error_code existsError;
    if (!std::filesystem::is_regular_file(movie, existsError)) {
        failOnQueue(UmberlinPlatform::makeMovieWriterError(UmberlinPlatform::MovieWriterErrorCode::fileRemoved, 0));
        return;
    }
    resetWriter();
    setState(State::idle());
    if (onFinished) {
        onFinished(movie);
    }
    completeStopRequests();
}

void NetworkVideoRecorder::completeStopRequests() {
    std::vector<std::function<void()>> completions = std::move(stopCompletions_);
    stopCompletions_.clear();
    for (auto& completion : completions) {
        completion();
    }
}

void NetworkVideoRecorder::failOnQueue(const RecorderFailure& failure) {
    const std::string message = diagnosticMessage(failure, outputMovie_);
    UmberlinPlatform::logLine("[Umberlin recording] A/V recording failed: " + message);
    if (writer_) {
        writer_->cancelWriting();
    }
    resetWriter();
    setState(State::failed(message));
    completeStopRequests();
}

}  // namespace Quillfen
