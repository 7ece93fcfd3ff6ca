// The recorder's audio: clock alignment, the bounded queue and its delayed drain, format changes.
#include <cmath>

#include "Recording/NetworkVideoRecorderFixture.hpp"

namespace QuillfenTests {
namespace {

using namespace std::chrono_literals;

TEST_F(NetworkVideoRecorderTest, AudioBeforeTheFirstKeyFrameIsNeverKept) {
    recorder->updateAudioFormat(testAudioFormat());
    recorder->prepare(movie, 0);
    recorder->appendAudio(audioBuffer(4'990'000'000));
    run();
    recorder->append(videoBuffer(5'000'000'000, true));
    recorder->appendAudio(audioBuffer(5'020'000'000));
    run();
    const auto& appended = writer().audioInput->appended;
    ASSERT_EQ(appended.size(), 1u);
    EXPECT_EQ(appended[0]->presentationTimeStamp(), nanoseconds(20'000'000));
}

TEST_F(NetworkVideoRecorderTest, AudioOnTheVideoClockKeepsItsOwnPlace) {
    startRecording(5'000'000'000);
    recorder->appendAudio(audioBuffer(4'900'000'000));  // first buffer, shared clock, before zero: dropped
    recorder->appendAudio(audioBuffer(6'500'000'000));
    run();
    const auto& appended = writer().audioInput->appended;
    ASSERT_EQ(appended.size(), 1u);
    EXPECT_EQ(appended[0]->presentationTimeStamp(), nanoseconds(1'500'000'000));
    EXPECT_FALSE(log.contains("Normalized"));
}

TEST_F(NetworkVideoRecorderTest, AnIndependentAudioClockStartsAtZeroAndIsLogged) {
    startRecording(5'000'000'000);
    recorder->appendAudio(audioBuffer(7'500'000'000));
    recorder->appendAudio(audioBuffer(7'520'000'000));
    run();
    const auto& appended = writer().audioInput->appended;
    ASSERT_EQ(appended.size(), 2u);
    EXPECT_EQ(appended[0]->presentationTimeStamp(), nanoseconds(0));
    EXPECT_EQ(appended[1]->presentationTimeStamp(), nanoseconds(20'000'000));
    EXPECT_TRUE(log.contains("[Umberlin recording] Normalized an independent phone-audio clock offset of 2.5 seconds"));
}

TEST_F(NetworkVideoRecorderTest, WaitingAudioDrainsEveryTenMillisecondsUntilTheEncoderTakesIt) {
    startRecording(0);
    writer().audioInput->ready = false;
    recorder->appendAudio(audioBuffer(0));
    recorder->appendAudio(audioBuffer(20'000'000));
    run();
    EXPECT_TRUE(writer().audioInput->appended.empty());
    EXPECT_EQ(queue->advance(9ms), 0u);
    EXPECT_EQ(queue->advance(1ms), 1u);  // one retry, still not ready: another is scheduled
    EXPECT_EQ(queue->pendingCount(), 1u);

    writer().audioInput->ready = true;
    queue->advance(10ms);
    EXPECT_EQ(writer().audioInput->appended.size(), 2u);
    EXPECT_EQ(queue->pendingCount(), 0u);
}

TEST_F(NetworkVideoRecorderTest, The257thWaitingAudioBufferFailsTheRecording) {
    startRecording(0);
    writer().audioInput->ready = false;
    for (int buffer = 0; buffer < 256; ++buffer) {
        recorder->appendAudio(audioBuffer(buffer * 20'000'000LL));
    }
    run();
    EXPECT_EQ(states.back(), State::recording(movie));
    recorder->appendAudio(audioBuffer(256 * 20'000'000LL));
    run();
    EXPECT_EQ(states.back(),
              State::failed("The AAC encoder stayed busy long enough to exhaust the phone-audio buffer.\nFile: " +
                            movie.string()));
    EXPECT_TRUE(writer().cancelled);
}

TEST_F(NetworkVideoRecorderTest, StoppingWaitsForTheAudioToDrainBeforeFinalising) {
    startRecording(0);
    writer().audioInput->ready = false;
    recorder->appendAudio(audioBuffer(0, 48000));  // one second
    recorder->stop();
    run();
    EXPECT_EQ(states.back(), State::finishing(movie));
    EXPECT_FALSE(writer().pendingCompletion);

    writer().audioInput->ready = true;
    queue->advance(10ms);
    ASSERT_TRUE(writer().pendingCompletion);
    EXPECT_EQ(writer().sessionEnd, Media::MediaTime::make(1, 1));  // the audio's end, past the one frame
    writer().completeFinishing();
    run();
    EXPECT_EQ(finished, std::vector<std::filesystem::path>{movie});
}

TEST_F(NetworkVideoRecorderTest, AChangedAudioFormatFinalisesTheMovie) {
    startRecording(0);
    recorder->updateAudioFormat(testAudioFormat());  // the same format again: nothing happens
    run();
    EXPECT_EQ(states.back(), State::recording(movie));

    recorder->appendAudio(audioBuffer(20'000'000, 441, testAudioFormat(44100)));
    run();
    EXPECT_TRUE(log.contains("[Umberlin recording] Phone audio format changed; finalizing the current recording"));
    EXPECT_EQ(states.back(), State::finishing(movie));
    EXPECT_TRUE(writer().audioInput->appended.empty());  // the new format never reaches this movie
    writer().completeFinishing();
    run();
    EXPECT_EQ(finished, std::vector<std::filesystem::path>{movie});
    EXPECT_EQ(states.back(), State::idle());

    // The next recording uses the new format.
    recorder->prepare(movie, 0);
    recorder->append(videoBuffer(1'000'000'000, true));
    run();
    ASSERT_EQ(writers.writers.size(), 2u);
    EXPECT_EQ(writer().audioSettings->outputSettings.sampleRate, 44100);
}

TEST_F(NetworkVideoRecorderTest, ClearingTheAudioFormatFinalisesAndBlocksTheNextStart) {
    startRecording(0);
    recorder->updateAudioFormat(nullptr);
    run();
    EXPECT_EQ(states.back(), State::finishing(movie));
    writer().completeFinishing();
    recorder->prepare(movie, 0);
    recorder->append(videoBuffer(1'000'000'000, true));
    run();
    EXPECT_EQ(writers.writers.size(), 1u);
    EXPECT_EQ(states.back(), State::waitingForKeyFrame(movie));
}

// A phone clock that jumps by years (forward, or back again) neither stretches the movie nor
// stops it: each medium goes on from where the movie stands.
TEST_F(NetworkVideoRecorderTest, AJumpOfThePhonesClockContinuesTheTimeLine) {
    constexpr std::int64_t years = 94'608'000'000'000'000;
    startRecording(0);
    recorder->appendAudio(audioBuffer(0));
    recorder->append(videoBuffer(33'333'333, false));
    recorder->append(videoBuffer(years + 66'666'667, false));
    recorder->append(videoBuffer(years + 100'000'000, false));
    recorder->appendAudio(audioBuffer(years + 20'000'000));
    recorder->appendAudio(audioBuffer(40'000'000));  // and back again
    run();

    const auto microseconds = [](const FakeMovieWriterInput& input) {
        std::vector<std::int64_t> times;
        for (const auto& buffer : input.appended)
            times.push_back(std::llround(buffer->presentationTimeStamp().seconds() * 1e6));
        return times;
    };
    EXPECT_EQ(microseconds(*writer().videoInput), (std::vector<std::int64_t>{0, 33'333, 66'667, 100'000}));
    EXPECT_EQ(microseconds(*writer().audioInput), (std::vector<std::int64_t>{0, 133'333, 153'333}));
    EXPECT_TRUE(log.contains("[Umberlin recording] The phone's video clock jumped by 94608000"));
    EXPECT_EQ(states.back(), State::recording(movie));
}

}  // namespace
}  // namespace QuillfenTests
