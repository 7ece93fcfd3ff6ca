// The recorder's audio path and its time line: clock alignment and jumps, the bounded queue of rebased buffers waiting
// for the AAC encoder, the delayed drain, and format changes.
#include <charconv>
#include <chrono>
#include <cmath>

#include "Log/DiagnosticLog.hpp"
#include "Recording/NetworkVideoRecorder.hpp"
#include "Recording/NetworkVideoRecorderQueueing.hpp"
#include "Recording/NetworkVideoRecorderSettings.hpp"

namespace Quillfen {

namespace {

// Audio this close to the first key frame runs on the same clock as the video.
constexpr double sharedClockTolerance = 2.0;
// A buffer this far from where its medium stands is a jump of the phone's clock, not a gap.
const Media::MediaTime clockJumpTolerance = Media::MediaTime::make(2, 1);
constexpr auto audioDrainRetryDelay = std::chrono::milliseconds(10);

std::string shortestDecimal(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

bool sameStreamFormat(const Media::AudioStreamBasicDescription& left, const Media::AudioStreamBasicDescription& right) {
    return left.sampleRate == right.sampleRate && left.formatId == right.formatId &&
           left.formatFlags == right.formatFlags && left.channelsPerFrame == right.channelsPerFrame &&
           left.bitsPerChannel == right.bitsPerChannel;
}

}  // namespace

void NetworkVideoRecorder::appendAudioBufferOnQueue(const Media::SampleBufferRef& sampleBuffer) {
    if (const auto format = sampleBuffer->audioFormatDescription()) {
        updateAudioFormatOnQueue(format);
    }
    if (state_.kind() == State::Kind::recording) {
        runOrFail([&] { appendAudioOnQueue(*sampleBuffer); });
    }
}

void NetworkVideoRecorder::appendAudioOnQueue(const Media::SampleBuffer& sampleBuffer) {
    if (!writer_ || !audioInput_ || !sourceStartTime_) {
        throw RecordingError(RecordingError::Kind::writerNotReady);
    }
    requireWriting(*writer_);
    const Media::MediaTime presentationTime = sampleBuffer.presentationTimeStamp();
    if (!presentationTime.isValid()) {
        throw RecordingError(RecordingError::Kind::invalidTimestamp);
    }
    if (!audioSourceStartTime_) {
        const double offset = (presentationTime - *sourceStartTime_).seconds();
        const bool sharedClock = std::isfinite(offset) && std::abs(offset) <= sharedClockTolerance;
        audioSourceStartTime_ = sharedClock ? *sourceStartTime_ : presentationTime;
        if (*audioSourceStartTime_ != *sourceStartTime_) {
            UmberlinPlatform::logLine("[Umberlin recording] Normalized an independent phone-audio clock offset of " +
                                      shortestDecimal(offset) + " seconds");
        }
    }
    if (!lastAudioEnd_ && presentationTime < *audioSourceStartTime_) {
        return;  // captured before the first key frame
    }
    placeSample(presentationTime, *audioSourceStartTime_, lastAudioEnd_, "audio");
    pendingAudioSamples_.push_back(rebasedSampleBuffer(sampleBuffer, *audioSourceStartTime_));
    const Media::MediaTime duration = pendingAudioSamples_.back()->duration();
    lastAudioEnd_ = pendingAudioSamples_.back()->presentationTimeStamp() +
                    (duration.isValid() ? duration : Media::MediaTime::zero());
    if (pendingAudioSamples_.size() > static_cast<std::size_t>(maximumPendingAudioBufferCount)) {
        throw RecordingError(RecordingError::Kind::audioStorageCannotKeepUp);
    }
    drainPendingAudioOnQueue(*writer_, *audioInput_);
}

void NetworkVideoRecorder::placeSample(const Media::MediaTime& presentationTime, Media::MediaTime& start,
                                       const std::optional<Media::MediaTime>& lastEnd, const char* medium) {
    const Media::MediaTime placed = presentationTime - start;
    const Media::MediaTime written = lastEnd ? std::max(lastOutputTime_, *lastEnd) : lastOutputTime_;
    const bool forward = placed > written + clockJumpTolerance;
    const bool backward = lastEnd && placed < *lastEnd - clockJumpTolerance;
    if (!forward && !backward) {
        return;
    }
    // The phone's clock jumped: the movie goes on right after what it holds, so a jump costs
    // neither hours of silence nor a refused frame.
    const Media::MediaTime continued = forward ? written : *lastEnd;
    start = presentationTime - continued;
    UmberlinPlatform::logLine(std::string("[Umberlin recording] The phone's ") + medium + " clock jumped by " +
                              shortestDecimal((placed - continued).seconds()) +
                              " seconds; the movie goes on from where it was");
}

void NetworkVideoRecorder::drainPendingAudioOnQueue(UmberlinPlatform::MovieWriter& writer,
                                                    UmberlinPlatform::MovieWriterInput& audioInput) {
    requireWriting(writer);
    while (audioInput.isReadyForMoreMediaData() && !pendingAudioSamples_.empty()) {
        const Media::SampleBufferRef& oldest = pendingAudioSamples_.front();
        if (!audioInput.append(oldest)) {
            throwWriterFailure(writer, RecordingError::Kind::cannotAppendAudio);
        }
        const Media::MediaTime duration = oldest->duration();
        const Media::MediaTime endTime =
            oldest->presentationTimeStamp() + (duration.isValid() ? duration : Media::MediaTime::zero());
        pendingAudioSamples_.pop_front();
        if (endTime.isValid() && endTime > lastOutputTime_) {
            lastOutputTime_ = endTime;
        }
    }
    if (!pendingAudioSamples_.empty()) {
        scheduleAudioDrain();
    }
}

void NetworkVideoRecorder::scheduleAudioDrain() {
    if (audioDrainScheduled_) {
        return;
    }
    audioDrainScheduled_ = true;
    queue_->asyncAfter(audioDrainRetryDelay, [weakSelf = weak_from_this()] {
        auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        self->audioDrainScheduled_ = false;
        if (!self->writer_ || !self->audioInput_) {
            return;
        }
        auto writer = self->writer_;
        auto audioInput = self->audioInput_;
        if (!self->runOrFail([&] { self->drainPendingAudioOnQueue(*writer, *audioInput); })) {
            return;
        }
        if (self->state_.kind() == State::Kind::finishing && self->pendingAudioSamples_.empty()) {
            self->finalizeWriterOnQueue();
        }
    });
}

void NetworkVideoRecorder::updateAudioFormatOnQueue(
    const std::shared_ptr<const Media::AudioFormatDescription>& formatDescription) {
    const auto& old = audioFormatDescription_;
    const bool unchanged =
        (!old && !formatDescription) ||
        (old && formatDescription &&
         sameStreamFormat(old->streamBasicDescription(), formatDescription->streamBasicDescription()));
    if (!unchanged && state_.kind() == State::Kind::recording) {
        UmberlinPlatform::logLine("[Umberlin recording] Phone audio format changed; finalizing the current recording");
        finishOnQueue();
    }
    audioFormatDescription_ = formatDescription;
}

}  // namespace Quillfen
