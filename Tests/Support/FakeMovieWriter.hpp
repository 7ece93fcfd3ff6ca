#pragma once
// An in-memory movie writer for the recorder's tests: records what it is asked to do, and lets
// the test decide readiness, refusals, failures and when finishing completes.

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "MovieWriter/MovieWriter.hpp"

namespace QuillfenTests {

class FakeMovieWriterInput final : public UmberlinPlatform::MovieWriterInput {
public:
    bool isReadyForMoreMediaData() const override { return ready; }
    bool append(const Media::SampleBufferRef& sampleBuffer) override {
        if (refuseAppends) {
            return false;
        }
        appended.push_back(sampleBuffer);
        return true;
    }
    void markAsFinished() override { finished = true; }

    bool ready = true;
    bool refuseAppends = false;
    bool finished = false;
    std::vector<Media::SampleBufferRef> appended;
};

class FakeMovieWriter final : public UmberlinPlatform::MovieWriter {
public:
    using Status = UmberlinPlatform::MovieWriterStatus;

    Status status() const override { return currentStatus; }
    std::optional<UmberlinPlatform::MovieWriterError> error() const override { return currentError; }

    std::shared_ptr<UmberlinPlatform::MovieWriterInput> addVideoInput(
        const UmberlinPlatform::VideoInputSettings& settings) override {
        if (!canAddVideoInput) {
            return nullptr;
        }
        videoSettings = settings;
        return videoInput;
    }
    std::shared_ptr<UmberlinPlatform::MovieWriterInput> addAudioInput(
        const UmberlinPlatform::AudioInputSettings& settings) override {
        audioSettings = settings;
        return audioInput;
    }
    // Creates the (empty) file, as a real writer does.
    bool startWriting() override {
        if (startFails) {
            currentStatus = Status::failed;
            currentError = startError;
            return false;
        }
        std::ofstream(path).flush();
        currentStatus = Status::writing;
        return true;
    }
    void startSession(const Media::MediaTime& sourceTime) override { sessionStart = sourceTime; }
    void endSession(const Media::MediaTime& sourceTime) override { sessionEnd = sourceTime; }
    void finishWriting(std::function<void()> completion) override { pendingCompletion = std::move(completion); }
    void cancelWriting() override {
        cancelled = true;
        currentStatus = Status::cancelled;
    }

    // Ends finishing as the real writer's thread would.
    void completeFinishing(Status status = Status::completed,
                           std::optional<UmberlinPlatform::MovieWriterError> error = std::nullopt) {
        currentStatus = status;
        currentError = std::move(error);
        auto completion = std::move(pendingCompletion);
        pendingCompletion = nullptr;
        completion();
    }

    // Fails as the real writer does when the disk gives up.
    void fail(UmberlinPlatform::MovieWriterError error) {
        currentStatus = Status::failed;
        currentError = std::move(error);
    }

    std::filesystem::path path;
    Status currentStatus = Status::unknown;
    std::optional<UmberlinPlatform::MovieWriterError> currentError;
    bool startFails = false;
    std::optional<UmberlinPlatform::MovieWriterError> startError;  // the error a failed start leaves
    bool canAddVideoInput = true;
    bool cancelled = false;
    std::optional<UmberlinPlatform::VideoInputSettings> videoSettings;
    std::optional<UmberlinPlatform::AudioInputSettings> audioSettings;
    std::optional<Media::MediaTime> sessionStart;
    std::optional<Media::MediaTime> sessionEnd;
    std::function<void()> pendingCompletion;
    std::shared_ptr<FakeMovieWriterInput> videoInput = std::make_shared<FakeMovieWriterInput>();
    std::shared_ptr<FakeMovieWriterInput> audioInput = std::make_shared<FakeMovieWriterInput>();
};

// Hands out FakeMovieWriters and remembers them; `prepareNext` adjusts each new one.
struct FakeMovieWriterFactory {
    std::vector<std::shared_ptr<FakeMovieWriter>> writers;
    std::function<void(FakeMovieWriter&)> prepareNext;

    UmberlinPlatform::MovieWriterFactory factory() {
        return [this](const std::filesystem::path& path) {
            auto writer = std::make_shared<FakeMovieWriter>();
            writer->path = path;
            if (prepareNext) {
                prepareNext(*writer);
            }
            writers.push_back(writer);
            return UmberlinPlatform::MovieWriterCreation{writer, std::nullopt};
        };
    }
};

}  // namespace QuillfenTests
