#pragma once
// A recorder on a manually driven queue with fake writers, and what its callbacks reported.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Log/LogCapture.hpp"
#include "Recording/NetworkVideoRecorder.hpp"
#include "Recording/RecorderTestMedia.hpp"
#include "Support/FakeMovieWriter.hpp"
#include "Support/ManualSerialQueue.hpp"

namespace QuillfenTests {

using State = Quillfen::NetworkVideoRecorder::State;

class NetworkVideoRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() / ("recorder-tests-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        movie = folder / "Take 1.mov";
        recorder = Quillfen::NetworkVideoRecorder::make({queue, writers.factory()});
        recorder->onStateChanged = [this](const State& state) { states.push_back(state); };
        recorder->onDurationChanged = [this](double seconds) { durations.push_back(seconds); };
        recorder->onFinished = [this](const std::filesystem::path& url) { finished.push_back(url); };
    }

    void TearDown() override { std::filesystem::remove_all(folder); }

    void run() { queue->runAllReady(); }

    // Armed, with the audio format known, and recording from a key frame at `keyFrameTime`.
    void startRecording(std::int64_t keyFrameTime = 5'000'000'000, int rotation = 0) {
        recorder->updateAudioFormat(testAudioFormat());
        recorder->prepare(movie, rotation);
        recorder->append(videoBuffer(keyFrameTime, true));
        run();
        ASSERT_EQ(states.back(), State::recording(movie));
    }

    FakeMovieWriter& writer() { return *writers.writers.back(); }

    std::shared_ptr<UmberlinPlatform::ManualSerialQueue> queue =
        std::make_shared<UmberlinPlatform::ManualSerialQueue>("org.umberlin.tests.video-recorder");
    FakeMovieWriterFactory writers;
    std::shared_ptr<Quillfen::NetworkVideoRecorder> recorder;
    UmberlinPlatform::ScopedLogCapture log;
    std::filesystem::path folder;
    std::filesystem::path movie;
    std::vector<State> states;
    std::vector<double> durations;
    std::vector<std::filesystem::path> finished;
};

}  // namespace QuillfenTests
