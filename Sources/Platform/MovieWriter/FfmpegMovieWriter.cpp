#include "MovieWriter/FfmpegMovieWriter.hpp"

#include "Log/DiagnosticLog.hpp"
#include "Media/NalUnitLengthPrefixes.hpp"
#include "MovieWriter/AacTrackEncoder.hpp"
#include "MovieWriter/FfmpegLogForwarding.hpp"
#include "MovieWriter/MovieDefragmenter.hpp"
#include "MovieWriter/MovieMuxer.hpp"
#include "MovieWriter/MovieWriterErrors.hpp"
#include "MovieWriter/MovieWriterThreads.hpp"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>

namespace UmberlinPlatform {

namespace {

enum class JobKind { video, audio, finish };

// The audio track may trail the video by this much before silence fills it: the movie's first
// fragment waits for both tracks, so a phone whose audio stalls must not hold the video in memory
// (and off the disk) for long. Audio arrives well within this even when the recorder has its
// whole allowance of 256 buffers waiting.
constexpr double longestAudioLagSeconds = 6.0;

struct Job {
    JobKind kind = JobKind::video;
    Media::SampleBufferRef sample;
    std::int64_t presentationTime = 0;  // video, 1/90000 s on the movie's time line
    std::int64_t decodeTime = 0;
    std::int64_t duration = 0;
    bool isKeyFrame = false;
    double seconds = 0;  // audio: start on the movie's time line; finish: the session's end
    std::function<void()> completion;
};

// The bytes of a buffer's samples: the start of its block, or all of it when the buffer carries
// no sample sizes (or sizes the block cannot hold).
Media::ByteView sampleBytes(const Media::SampleBuffer& sample) {
    const Media::ByteView block = sample.dataBuffer()->bytes();
    const std::size_t size = sample.totalSampleSize();
    return size == 0 || size > block.size() ? block : block.first(size);
}

std::int64_t toVideoTimeScale(const Media::MediaTime& time) {
    return av_rescale_rnd(time.value, MovieMuxer::videoTimeScale, time.timeScale, AV_ROUND_NEAR_INF);
}

// State shared by the writer (used on its caller's queue) and its thread.
struct WriterCore {
    std::filesystem::path path;
    FfmpegMovieWriterOptions options;

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    std::size_t queuedVideo = 0;
    std::size_t queuedAudio = 0;
    MovieWriterStatus status = MovieWriterStatus::unknown;
    std::optional<MovieWriterError> error;

    // The writer thread's own.
    std::unique_ptr<MovieMuxer> muxer;
    std::unique_ptr<AacTrackEncoder> audioEncoder;
    int nalUnitHeaderLength = 4;

    std::size_t& queuedCount(JobKind kind) { return kind == JobKind::video ? queuedVideo : queuedAudio; }

    // Ends the writer with `newStatus`, dropping queued work; gives the completions to call.
    std::vector<std::function<void()>> stopLocked(MovieWriterStatus newStatus, std::optional<MovieWriterError> reason) {
        std::vector<std::function<void()>> completions;
        for (Job& job : jobs) {
            if (job.completion) {
                completions.push_back(std::move(job.completion));
            }
        }
        jobs.clear();
        queuedVideo = queuedAudio = 0;
        if (status == MovieWriterStatus::writing) {
            status = newStatus;
            error = std::move(reason);
        }
        wake.notify_all();
        return completions;
    }

    void run();
    // Nothing, or an error that fails the writer.
    std::optional<MovieWriterError> perform(Job& job);
    void closeMuxer();
};

void WriterCore::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [&] { return !jobs.empty() || status != MovieWriterStatus::writing; });
            if (status != MovieWriterStatus::writing) {
                break;
            }
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        std::optional<MovieWriterError> failure = perform(job);
        std::vector<std::function<void()>> completions;
        {
            std::lock_guard lock(mutex);
            if (job.kind != JobKind::finish && queuedCount(job.kind) > 0) {
                --queuedCount(job.kind);
            }
            if (failure) {
                completions = stopLocked(MovieWriterStatus::failed, std::move(failure));
            } else if (job.kind == JobKind::finish && status == MovieWriterStatus::writing) {
                status = MovieWriterStatus::completed;
            }
        }
        if (job.completion) {
            completions.insert(completions.begin(), std::move(job.completion));
        }
        for (auto& completion : completions) {
            completion();
        }
        if (job.kind == JobKind::finish || failure) {
            break;
        }
    }
    // Cancelled or failed: keep every fragment that reached the file, and close it.
    closeMuxer();
}

void WriterCore::closeMuxer() {
    if (muxer) {
        muxer->finish();
        muxer.reset();
    }
}

std::optional<MovieWriterError> WriterCore::perform(Job& job) {
    const auto writeAudioPacket = [this](AVPacket* packet) { return muxer->writeAudio(packet); };
    MovieWriterError error;
    switch (job.kind) {
        case JobKind::video: {
            const Media::ByteView accessUnit = sampleBytes(*job.sample);
            std::optional<Media::Bytes> widened;
            if (nalUnitHeaderLength != Media::movieNalUnitHeaderLengthFor(nalUnitHeaderLength)) {
                widened = Media::resizeNalUnitLengthPrefixes(accessUnit, nalUnitHeaderLength,
                                                             Media::movieNalUnitHeaderLengthFor(nalUnitHeaderLength));
                if (!widened) {
                    return makeMovieWriterError(MovieWriterErrorCode::invalidConfiguration, 0);
                }
            }
            const int result = muxer->writeVideo(widened ? Media::ByteView(*widened) : accessUnit, job.presentationTime,
                                                 job.decodeTime, job.duration, job.isKeyFrame);
            if (result < 0) {
                return makeMovieWriterError(MovieWriterErrorCode::cannotWriteFile, result);
            }
            // Writing on into a deleted file would succeed and lose the whole movie.
            if (!muxer->fileStillLinked()) {
                return makeMovieWriterError(MovieWriterErrorCode::fileRemoved, 0);
            }
            const double videoSeconds = static_cast<double>(job.presentationTime) / MovieMuxer::videoTimeScale;
            if (!audioEncoder->padWithSilenceUntil(videoSeconds - longestAudioLagSeconds, writeAudioPacket, error)) {
                return error;
            }
            return std::nullopt;
        }
        case JobKind::audio:
            if (!audioEncoder->encode(sampleBytes(*job.sample), job.seconds, writeAudioPacket, error)) {
                return error;
            }
            return std::nullopt;
        case JobKind::finish:
            if (!audioEncoder->finish(job.seconds, writeAudioPacket, error)) {
                return error;
            }
            if (!muxer->fileStillLinked()) {
                return makeMovieWriterError(MovieWriterErrorCode::fileRemoved, 0);
            }
            if (const int result = muxer->finish(); result < 0) {
                muxer.reset();
                return makeMovieWriterError(MovieWriterErrorCode::cannotFinishFile, result);
            }
            // The muxer keeps the file locked through the rewrite, so recovery leaves it alone.
            if (options.rewriteAsRegularMovieOnFinish) {
                if (const int result = rewriteAsRegularMovie(path).result; result < 0) {
                    const MovieWriterError reason =
                        makeMovieWriterError(MovieWriterErrorCode::cannotFinishFile, result);
                    logLine("[Umberlin recording] Kept the fragmented movie " + path.filename().string() +
                            " (it plays as it is): " +
                            (reason.underlyingError ? reason.underlyingError->localizedDescription
                                                    : reason.localizedDescription));
                }
            }
            muxer.reset();
            return std::nullopt;
    }
    return std::nullopt;
}

class FfmpegMovieWriter;

class FfmpegWriterInput final : public MovieWriterInput {
public:
    FfmpegWriterInput(JobKind kind, std::shared_ptr<WriterCore> core,
                      std::shared_ptr<const Media::FormatDescription> format)
        : kind_(kind), core_(std::move(core)), format_(std::move(format)) {}

    bool isReadyForMoreMediaData() const override {
        std::lock_guard lock(core_->mutex);
        const std::size_t limit =
            kind_ == JobKind::video ? core_->options.videoQueueLimit : core_->options.audioQueueLimit;
        return core_->status == MovieWriterStatus::writing && !finished_ && core_->queuedCount(kind_) < limit;
    }

    bool append(const Media::SampleBufferRef& sample) override;
    void markAsFinished() override { finished_ = true; }

    Media::MediaTime sessionStart = Media::MediaTime::invalid();

private:
    bool sameFormat(const Media::SampleBuffer& sample) const;
    std::optional<Job> makeJob(const Media::SampleBufferRef& sample);

    JobKind kind_;
    std::shared_ptr<WriterCore> core_;
    std::shared_ptr<const Media::FormatDescription> format_;
    bool finished_ = false;
    std::int64_t lastDecodeTime_ = std::numeric_limits<std::int64_t>::min();
};

bool FfmpegWriterInput::sameFormat(const Media::SampleBuffer& sample) const {
    if (kind_ == JobKind::video) {
        const auto video = sample.videoFormatDescription();
        return video && *video == static_cast<const Media::VideoFormatDescription&>(*format_);
    }
    const auto audio = sample.audioFormatDescription();
    return audio && *audio == static_cast<const Media::AudioFormatDescription&>(*format_);
}

std::optional<Job> FfmpegWriterInput::makeJob(const Media::SampleBufferRef& sample) {
    const Media::MediaTime presentation = sample->presentationTimeStamp() - sessionStart;
    if (!presentation.isValid() || !sameFormat(*sample)) {
        return std::nullopt;
    }
    Job job;
    job.kind = kind_;
    job.sample = sample;
    if (kind_ == JobKind::audio) {
        job.seconds = presentation.seconds();
        return job;
    }
    const Media::MediaTime decode =
        sample->decodeTimeStamp().isValid() ? sample->decodeTimeStamp() - sessionStart : presentation;
    const Media::MediaTime duration = sample->duration();
    job.presentationTime = toVideoTimeScale(presentation);
    job.decodeTime = decode.isValid() ? toVideoTimeScale(decode) : job.presentationTime;
    job.duration = duration.isValid() ? toVideoTimeScale(duration) : 0;
    job.isKeyFrame = sample->isKeyFrame();
    // A movie track needs strictly increasing decode times, and no picture shown before decoding.
    if (job.decodeTime <= lastDecodeTime_ || job.presentationTime < job.decodeTime) {
        return std::nullopt;
    }
    lastDecodeTime_ = job.decodeTime;
    return job;
}

bool FfmpegWriterInput::append(const Media::SampleBufferRef& sample) {
    if (!sample || finished_ || !sessionStart.isValid()) {
        return false;
    }
    std::optional<Job> job = makeJob(sample);
    if (!job) {
        return false;
    }
    std::lock_guard lock(core_->mutex);
    if (core_->status != MovieWriterStatus::writing) {
        return false;
    }
    ++core_->queuedCount(kind_);
    core_->jobs.push_back(std::move(*job));
    core_->wake.notify_all();
    return true;
}

class FfmpegMovieWriter final : public MovieWriter {
public:
    FfmpegMovieWriter(std::filesystem::path path, FfmpegMovieWriterOptions options,
                      std::shared_ptr<MovieWriterThreads> threads)
        : core_(std::make_shared<WriterCore>()), threads_(std::move(threads)) {
        core_->path = std::move(path);
        core_->options = options;
    }

    // A writer dropped while it still writes stops; one that is finishing completes its file.
    // Neither waits here for the disk: the thread belongs to threads_ (see MovieWriterThreads).
    ~FfmpegMovieWriter() override {
        if (!finishRequested_) {
            cancelWriting();
        }
    }

    MovieWriterStatus status() const override {
        std::lock_guard lock(core_->mutex);
        return core_->status;
    }

    std::optional<MovieWriterError> error() const override {
        std::lock_guard lock(core_->mutex);
        return core_->error;
    }

    std::shared_ptr<MovieWriterInput> addVideoInput(const VideoInputSettings& settings) override {
        if (videoInput_ || status() != MovieWriterStatus::unknown || !settings.sourceFormatHint) {
            return nullptr;
        }
        videoSettings_ = settings;
        videoInput_ = std::make_shared<FfmpegWriterInput>(JobKind::video, core_, settings.sourceFormatHint);
        return videoInput_;
    }

    std::shared_ptr<MovieWriterInput> addAudioInput(const AudioInputSettings& settings) override {
        if (audioInput_ || status() != MovieWriterStatus::unknown || !settings.sourceFormatHint) {
            return nullptr;
        }
        audioSettings_ = settings;
        audioInput_ = std::make_shared<FfmpegWriterInput>(JobKind::audio, core_, settings.sourceFormatHint);
        return audioInput_;
    }

    bool startWriting() override {
        if (status() != MovieWriterStatus::unknown) {
            return false;
        }
        MovieWriterError error = makeMovieWriterError(MovieWriterErrorCode::invalidConfiguration, 0);
        if (videoInput_ && audioInput_) {
            core_->audioEncoder = AacTrackEncoder::open(audioSettings_.sourceFormatHint->streamBasicDescription(),
                                                        audioSettings_.outputSettings, error);
        }
        if (core_->audioEncoder) {
            core_->muxer = MovieMuxer::open(core_->path, videoSettings_, *core_->audioEncoder->codecContext(),
                                            core_->options.syncFile, error);
        }
        std::lock_guard lock(core_->mutex);
        if (!core_->muxer) {
            core_->audioEncoder.reset();
            core_->status = MovieWriterStatus::failed;
            core_->error = error;
            return false;
        }
        core_->nalUnitHeaderLength = videoSettings_.sourceFormatHint->nalUnitHeaderLength();
        core_->status = MovieWriterStatus::writing;
        // The thread shares the state, so it may outlive this object (a cancelled writer closes
        // its file once a slow write returns); threads_ owns it until then.
        threads_->start(core_->path.filename().string(), [core = core_] { core->run(); });
        return true;
    }

    void startSession(const Media::MediaTime& sourceTime) override {
        if (videoInput_) {
            videoInput_->sessionStart = sourceTime;
        }
        if (audioInput_) {
            audioInput_->sessionStart = sourceTime;
        }
        sessionStart_ = sourceTime;
    }

    void endSession(const Media::MediaTime& sourceTime) override { sessionEnd_ = sourceTime; }

    void finishWriting(std::function<void()> completion) override {
        const Media::MediaTime end = sessionEnd_ - sessionStart_;
        Job job;
        job.kind = JobKind::finish;
        job.seconds = end.isValid() ? end.seconds() : std::numeric_limits<double>::quiet_NaN();
        job.completion = std::move(completion);
        finishRequested_ = true;
        {
            std::lock_guard lock(core_->mutex);
            if (core_->status == MovieWriterStatus::writing) {
                core_->jobs.push_back(std::move(job));
                core_->wake.notify_all();
                return;
            }
        }
        if (job.completion) {
            job.completion();
        }
    }

    void cancelWriting() override {
        std::vector<std::function<void()>> completions;
        {
            std::lock_guard lock(core_->mutex);
            completions = core_->stopLocked(MovieWriterStatus::cancelled, std::nullopt);
        }
        for (auto& completion : completions) {
            completion();
        }
    }

private:
    std::shared_ptr<WriterCore> core_;
    std::shared_ptr<MovieWriterThreads> threads_;
    VideoInputSettings videoSettings_;
    AudioInputSettings audioSettings_;
    std::shared_ptr<FfmpegWriterInput> videoInput_;
    std::shared_ptr<FfmpegWriterInput> audioInput_;
    Media::MediaTime sessionStart_ = Media::MediaTime::invalid();
    Media::MediaTime sessionEnd_ = Media::MediaTime::invalid();
    bool finishRequested_ = false;
};

}  // namespace

int syncFileData(int descriptor) {
    if (::fdatasync(descriptor) == 0) {
        return 0;
    }
    // A pipe or a special file has nothing to make durable.
    return errno == EINVAL || errno == EROFS ? 0 : errno;
}

MovieWriterFactory makeFfmpegMovieWriterFactory(FfmpegMovieWriterOptions options) {
    forwardFfmpegLogToDiagnostics();
    auto threads = std::make_shared<MovieWriterThreads>(options.shutdownPatience);
    return [options, threads](const std::filesystem::path& path) {
        return MovieWriterCreation{std::make_shared<FfmpegMovieWriter>(path, options, threads), std::nullopt};
    };
}

}  // namespace UmberlinPlatform
