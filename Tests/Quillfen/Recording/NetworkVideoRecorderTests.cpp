// The recorder's life: arming, the first key frame, video, finishing, stopping and failing.
#include <fstream>

#include "Recording/NetworkVideoRecorderFixture.hpp"

namespace QuillfenTests {
namespace {

using Kind = Quillfen::NetworkVideoRecorder::State::Kind;

TEST_F(NetworkVideoRecorderTest, ArmingWaitsForAKeyFrameAndReportsZeroDuration) {
    recorder->prepare(movie, 0);
    recorder->prepare(folder / "other.mov", 90);  // ignored while armed
    run();
    EXPECT_EQ(states, std::vector<State>{State::waitingForKeyFrame(movie)});
    EXPECT_EQ(durations, std::vector<double>{0.0});
    EXPECT_TRUE(writers.writers.empty());
}

TEST_F(NetworkVideoRecorderTest, FileOpensOnlyOnAKeyFrameWhileTheAudioFormatIsKnown) {
    recorder->prepare(movie, 0);
    recorder->append(videoBuffer(1'000'000'000, true));  // no audio format yet
    recorder->updateAudioFormat(testAudioFormat());
    recorder->append(videoBuffer(1'033'333'333, false));
    run();
    EXPECT_TRUE(writers.writers.empty());
    EXPECT_EQ(states.back(), State::waitingForKeyFrame(movie));

    recorder->append(videoBuffer(1'066'666'667, true));
    recorder->append(videoBuffer(1'100'000'000, false));
    run();
    ASSERT_EQ(writers.writers.size(), 1u);
    EXPECT_EQ(states.back(), State::recording(movie));
    EXPECT_EQ(writer().sessionStart, Media::MediaTime::zero());
    const auto& appended = writer().videoInput->appended;
    ASSERT_EQ(appended.size(), 2u);
    EXPECT_EQ(appended[0]->presentationTimeStamp(), nanoseconds(0));
    EXPECT_EQ(appended[1]->presentationTimeStamp(), nanoseconds(33'333'333));
    // The copy keeps its key-frame mark but not the preview's display-immediately request.
    const auto* attachments = appended[1]->sampleAttachments();
    ASSERT_TRUE(attachments);
    EXPECT_FALSE(attachments->front().displayImmediately.has_value());
    EXPECT_EQ(attachments->front().notSync, true);
    EXPECT_TRUE(log.contains("[Umberlin recording] Started HEVC + AAC recording: Take 1.mov"));
}

TEST_F(NetworkVideoRecorderTest, AnExistingFileIsReplaced) {
    std::ofstream(movie) << "an older take";
    startRecording();
    EXPECT_EQ(std::filesystem::file_size(movie), 0u);  // the fake writer's new, empty file
}

TEST_F(NetworkVideoRecorderTest, RotationSetsTheTrackTransformForThePictureSize) {
    struct Case {
        int requested;
        UmberlinPlatform::AffineTransform transform;
    };
    // The test picture is 64 x 48.
    const Case cases[] = {{0, {1, 0, 0, 1, 0, 0}},     {90, {0, 1, -1, 0, 48, 0}},  {180, {-1, 0, 0, -1, 64, 48}},
                          {270, {0, -1, 1, 0, 0, 64}}, {-90, {0, -1, 1, 0, 0, 64}}, {44, {1, 0, 0, 1, 0, 0}}};
    for (const Case& test : cases) {
        recorder->stop();
        run();
        startRecording(5'000'000'000, test.requested);
        ASSERT_TRUE(writer().videoSettings);
        EXPECT_EQ(writer().videoSettings->transform, test.transform) << test.requested;
        recorder->stop();
        run();
        writer().completeFinishing();
        run();
    }
}

TEST_F(NetworkVideoRecorderTest, DurationIsPublishedOncePerWholeSecondFromVideo) {
    startRecording(0);
    for (int frame = 1; frame < 64; ++frame) {
        recorder->append(videoBuffer(frame * 1'000'000'000LL / 30, false));
    }
    recorder->appendAudio(audioBuffer(2'500'000'000, 48000));  // audio never publishes
    run();
    // 0 at arming, then the first frame's end, then 1 s and 2 s as frames reach them.
    ASSERT_EQ(durations.size(), 4u);
    EXPECT_EQ(durations[0], 0.0);
    EXPECT_DOUBLE_EQ(durations[1], 0.033333333);  // the first frame's end, on the nanosecond clock
    EXPECT_GE(durations[2], 1.0);
    EXPECT_LT(durations[2], 1.0 + 1.0 / 30);
    EXPECT_GE(durations[3], 2.0);
    EXPECT_LT(durations[3], 2.0 + 1.0 / 30);
}

TEST_F(NetworkVideoRecorderTest, VideoTheWriterCannotTakeFailsTheRecording) {
    startRecording();
    writer().videoInput->ready = false;
    recorder->append(videoBuffer(5'033'333'333, false));
    run();
    EXPECT_EQ(states.back(),
              State::failed("The selected storage could not keep up with the camera stream.\nFile: " + movie.string()));
    EXPECT_TRUE(writer().cancelled);
    EXPECT_TRUE(log.contains("[Umberlin recording] A/V recording failed: The selected storage could not keep up"));

    recorder->append(videoBuffer(5'066'666'667, true));  // a failed recorder drops everything
    run();
    EXPECT_EQ(writers.writers.size(), 1u);
}

TEST_F(NetworkVideoRecorderTest, AWriterThatGaveUpFailsWithItsOwnError) {
    auto underlying = std::make_shared<UmberlinPlatform::MovieWriterError>(
        UmberlinPlatform::MovieWriterError{"NSPOSIXErrorDomain", 28, "No space left on device", std::nullopt, nullptr});
    const UmberlinPlatform::MovieWriterError diskFull{
        "org.umberlin.movie-writer", 2, "The movie file could not be written.", "No space left on device.", underlying};
    // The writer failed on its own thread between two frames, or refused the next frame.
    for (const bool refusesTheFrame : {false, true}) {
        startRecording();
        if (refusesTheFrame) {
            writer().videoInput->refuseAppends = true;
            writer().currentError = diskFull;
        } else {
            writer().fail(diskFull);
        }
        recorder->append(videoBuffer(5'033'333'333, false));
        run();
        EXPECT_EQ(states.back().message(),
                  "The movie file could not be written.\n"
                  "No space left on device.\n"
                  "File: " +
                      movie.string() +
                      "\n"
                      "Technical details: org.umberlin.movie-writer (2)\n"
                      "Underlying error: NSPOSIXErrorDomain (28): No space left on device")
            << refusesTheFrame;
    }
}

TEST_F(NetworkVideoRecorderTest, OpeningErrorsFailWhileWaitingForTheKeyFrame) {
    writers.prepareNext = [](FakeMovieWriter& writer) { writer.canAddVideoInput = false; };
    recorder->updateAudioFormat(testAudioFormat());
    recorder->prepare(movie, 0);
    recorder->append(videoBuffer(0, true));
    run();
    EXPECT_EQ(states.back(),
              State::failed("The HEVC stream cannot be added to the recording.\nFile: " + movie.string()));

    writers.prepareNext = [](FakeMovieWriter& writer) { writer.startFails = true; };
    recorder->prepare(movie, 0);  // leaves the failure first: idle, then armed
    recorder->append(videoBuffer(0, true));
    run();
    EXPECT_EQ(states.back(), State::failed("The recording file could not be started.\nFile: " + movie.string()));
    EXPECT_EQ(states[states.size() - 3], State::idle());

    // A writer that knows why it could not start (a folder removed meanwhile) says so.
    writers.prepareNext = [](FakeMovieWriter& writer) {
        writer.startFails = true;
        writer.startError = UmberlinPlatform::MovieWriterError{
            "org.umberlin.movie-writer", 1, "The movie file could not be created.", "No such file or directory.", {}};
    };
    recorder->prepare(movie, 0);
    recorder->append(videoBuffer(0, true));
    run();
    EXPECT_EQ(states.back().message(), "The movie file could not be created.\nNo such file or directory.\nFile: " +
                                           movie.string() + "\nTechnical details: org.umberlin.movie-writer (1)");
}

TEST_F(NetworkVideoRecorderTest, StopWhileArmedDisarmsWithoutAFile) {
    int completions = 0;
    recorder->prepare(movie, 0);
    recorder->stop([&] { ++completions; });
    run();
    EXPECT_EQ(states, (std::vector<State>{State::waitingForKeyFrame(movie), State::idle()}));
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(writers.writers.empty());
}

TEST_F(NetworkVideoRecorderTest, StopWhileIdleOrFailedCompletesAtOnce) {
    std::vector<std::string> calls;
    recorder->stop([&] { calls.push_back("idle"); });
    run();
    startRecording();
    writer().videoInput->ready = false;
    recorder->append(videoBuffer(5'033'333'333, false));
    recorder->stop([&] { calls.push_back("failed"); });
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"idle", "failed"}));
    EXPECT_EQ(states.back().kind(), Kind::failed);

    recorder->resetFailure();
    run();
    EXPECT_EQ(states.back(), State::idle());
}

TEST_F(NetworkVideoRecorderTest, StopsDuringFinishingCompleteInOrderAfterTheFileIsDone) {
    startRecording(0);
    recorder->append(videoBuffer(33'333'333, false));
    std::vector<int> calls;
    recorder->stop([&] { calls.push_back(1); });
    recorder->stop([&] { calls.push_back(2); });
    run();
    EXPECT_EQ(states.back(), State::finishing(movie));
    EXPECT_TRUE(writer().videoInput->finished);
    EXPECT_TRUE(writer().audioInput->finished);
    EXPECT_EQ(writer().sessionEnd, nanoseconds(66'666'666));  // the second frame's end, on the nanosecond clock
    EXPECT_TRUE(calls.empty());

    writer().completeFinishing();
    run();
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    EXPECT_EQ(states.back(), State::idle());
    EXPECT_EQ(finished, std::vector<std::filesystem::path>{movie});
    EXPECT_TRUE(log.contains("[Umberlin recording] Finished HEVC + AAC recording with writer status 2"));
}

TEST_F(NetworkVideoRecorderTest, AWriterThatCannotCompleteFailsTheRecording) {
    startRecording();
    recorder->stop();
    run();
    writer().completeFinishing(FakeMovieWriter::Status::failed);
    run();
    EXPECT_EQ(states.back(), State::failed("The recording file could not be finalized.\nFile: " + movie.string()));
    EXPECT_TRUE(finished.empty());
    EXPECT_TRUE(log.contains("with writer status 3"));
}

// A writer that completes a file someone deleted meanwhile has saved nothing.
TEST_F(NetworkVideoRecorderTest, AMovieThatIsGoneWhenFinishedIsAFailureNotASave) {
    startRecording();
    recorder->stop();
    run();
    std::filesystem::remove(movie);
    writer().completeFinishing();
    run();
    ASSERT_EQ(states.back().kind(), State::Kind::failed);
    EXPECT_TRUE(states.back().message().starts_with("The movie file or its folder was deleted during the recording.\n"))
        << states.back().message();
    EXPECT_TRUE(finished.empty());
}

TEST_F(NetworkVideoRecorderTest, ADestroyedRecorderStillCompletesAStop) {
    int completions = 0;
    recorder->stop([&] { ++completions; });
    recorder.reset();
    run();
    EXPECT_EQ(completions, 1);
}

}  // namespace
}  // namespace QuillfenTests
