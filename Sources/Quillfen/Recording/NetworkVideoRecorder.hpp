#pragma once
// Records the phone's live stream into one QuickTime movie per recording: the HEVC video passed
// through untouched, the phone's PCM audio encoded to AAC. The file opens on the first key frame
// that arrives while the audio format is known; every timestamp is moved so the movie starts at
// zero, and the audio is placed on the video's time line (or, when the phone's audio clock is
// clearly independent, started at zero). A jump of the phone's clock in either medium does not
// stretch the movie: the time line goes on from where it was (placeSample). Stopping drains the waiting audio and
// finalises the file; a change of the audio format finalises it too. Storage that cannot keep up fails the recording
// with a diagnostic text rather than losing media silently.
//
// All state lives on the recorder's own serial queue; the public operations may be called from
// any thread and only enqueue work that holds the recorder weakly. Callbacks run on the queue.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Dispatch/SerialQueue.hpp"
#include "Media/AudioFormatDescription.hpp"
#include "Media/MediaTime.hpp"
#include "Media/SampleBuffer.hpp"
#include "MovieWriter/MovieWriter.hpp"
#include "Reception/SampleBufferSink.hpp"
#include "Recording/RecordingError.hpp"

namespace Quillfen {

// The platform services a recorder runs on.
struct NetworkVideoRecorderPorts {
    std::shared_ptr<UmberlinPlatform::SerialQueue> queue;
    UmberlinPlatform::MovieWriterFactory makeWriter;
};

// A worker-thread queue labelled "org.umberlin.rezuvidodo.video-recorder" and the FFmpeg writer.
NetworkVideoRecorderPorts systemNetworkVideoRecorderPorts();

class NetworkVideoRecorder : public std::enable_shared_from_this<NetworkVideoRecorder>, public SampleBufferSink {
    struct ConstructionToken {};

public:
    class State {
    public:
        enum class Kind { waitingForKeyFrame, recording, finishing, failed, idle };

        static State idle() { return State(Kind::idle, {}, {}); }
        static State waitingForKeyFrame(std::filesystem::path movie) {
            return State(Kind::waitingForKeyFrame, std::move(movie), {});
        }
        static State recording(std::filesystem::path movie) { return State(Kind::recording, std::move(movie), {}); }
        static State finishing(std::filesystem::path movie) { return State(Kind::finishing, std::move(movie), {}); }
        static State failed(std::string message) { return State(Kind::failed, {}, std::move(message)); }

        Kind kind() const { return kind_; }
        // The movie of waitingForKeyFrame, recording and finishing; empty otherwise.
        const std::filesystem::path& movie() const { return movie_; }
        // The diagnostic text of failed; empty otherwise.
        const std::string& message() const { return message_; }

        friend bool operator==(const State&, const State&) = default;

    private:
        State(Kind kind, std::filesystem::path movie, std::string message)
            : kind_(kind), movie_(std::move(movie)), message_(std::move(message)) {}

        Kind kind_;
        std::filesystem::path movie_;
        std::string message_;
    };

    static constexpr int maximumPendingAudioBufferCount = 256;

    static std::shared_ptr<NetworkVideoRecorder> make(NetworkVideoRecorderPorts ports);
    NetworkVideoRecorder(ConstructionToken, NetworkVideoRecorderPorts ports);
    NetworkVideoRecorder(const NetworkVideoRecorder&) = delete;
    NetworkVideoRecorder& operator=(const NetworkVideoRecorder&) = delete;

    // Set before the first operation; called on the recorder's queue.
    std::function<void(const State&)> onStateChanged;
    std::function<void(double seconds)> onDurationChanged;  // once per whole second written
    std::function<void(const std::filesystem::path&)> onFinished;

    // Arms a recording into `to`, the video turned by `rotationAngleDegrees` (snapped to a
    // quarter turn). Ignored while armed, recording or finishing; clears a failure first.
    void prepare(std::filesystem::path to, int rotationAngleDegrees);
    // A compressed HEVC buffer carrying its format description and its key-frame mark.
    void append(Media::SampleBufferRef sampleBuffer);
    // A PCM buffer; its format, when it carries one, is checked for a change first.
    void appendAudio(Media::SampleBufferRef sampleBuffer);
    // The phone audio's format, or none when it is no longer known.
    void updateAudioFormat(std::shared_ptr<const Media::AudioFormatDescription> formatDescription);
    // Ends the recording (or disarms) and calls `completion` on the queue once at rest (idle or
    // failed); directly if the recorder is gone by then. Completions run in the order of the calls.
    void stop(std::function<void()> completion = {});
    // Takes a failed recorder back to idle.
    void resetFailure();

private:
    // As a sink of the receiver's video: frames are appended, and a flush stops the recording,
    // so a movie never runs on into another stream.
    void enqueue(const Media::SampleBufferRef& sampleBuffer) override { append(sampleBuffer); }
    void flush() override { stop(); }

    // Runs `work` on the queue with the recorder, unless the recorder is gone by then.
    template <typename Work> void onQueue(Work work);

    void setState(State state);
    void prepareOnQueue(const std::filesystem::path& movie, int rotationAngleDegrees);
    void appendVideoOnQueue(const Media::SampleBufferRef& sampleBuffer);
    void appendAudioBufferOnQueue(const Media::SampleBufferRef& sampleBuffer);

    // Throwing (RecordingError or MovieWriterError).
    void beginWriting(const Media::SampleBuffer& keyFrame);
    void appendOnQueue(const Media::SampleBuffer& sampleBuffer);
    void appendAudioOnQueue(const Media::SampleBuffer& sampleBuffer);
    void drainPendingAudioOnQueue(UmberlinPlatform::MovieWriter& writer,
                                  UmberlinPlatform::MovieWriterInput& audioInput);

    // Moves the zero `start` of one medium when `presentationTime` is a jump of the phone's clock:
    // more than two seconds past everything written, or more than two seconds before the end
    // of that medium's last buffer (`lastEnd`).
    void placeSample(const Media::MediaTime& presentationTime, Media::MediaTime& start,
                     const std::optional<Media::MediaTime>& lastEnd, const char* medium);
    void scheduleAudioDrain();
    void updateAudioFormatOnQueue(const std::shared_ptr<const Media::AudioFormatDescription>& formatDescription);
    void finishOnQueue();
    void finalizeWriterOnQueue();
    void writerFinishedOnQueue(const std::shared_ptr<UmberlinPlatform::MovieWriter>& writer,
                               const std::filesystem::path& movie);
    void completeStopRequests();
    void failOnQueue(const RecorderFailure& failure);
    void resetWriter();
    void resetFailureOnQueue();
    void publishDurationOnQueue();

    // Runs throwing work; a failure goes to failOnQueue. False when it failed.
    template <typename Work> bool runOrFail(Work work);

    std::shared_ptr<UmberlinPlatform::SerialQueue> queue_;
    UmberlinPlatform::MovieWriterFactory makeWriter_;
    State state_ = State::idle();
    std::shared_ptr<UmberlinPlatform::MovieWriter> writer_;
    std::shared_ptr<UmberlinPlatform::MovieWriterInput> videoInput_;
    std::shared_ptr<UmberlinPlatform::MovieWriterInput> audioInput_;
    std::shared_ptr<const Media::AudioFormatDescription> audioFormatDescription_;
    std::optional<std::filesystem::path> outputMovie_;
    int rotationAngleDegrees_ = 0;
    std::optional<Media::MediaTime> sourceStartTime_;
    std::optional<Media::MediaTime> audioSourceStartTime_;
    Media::MediaTime lastOutputTime_ = Media::MediaTime::zero();
    // The end of the last buffer of each medium on the movie's time line (audio: queued).
    std::optional<Media::MediaTime> lastVideoEnd_;
    std::optional<Media::MediaTime> lastAudioEnd_;
    std::int64_t lastPublishedSecond_ = -1;
    std::deque<Media::SampleBufferRef> pendingAudioSamples_;  // rebased, oldest first
    bool audioDrainScheduled_ = false;
    std::vector<std::function<void()>> stopCompletions_;
};

}  // namespace Quillfen
