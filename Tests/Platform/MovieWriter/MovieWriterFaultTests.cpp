// The real writer when storage fails: a missing folder, a full file system, storage
// too slow to keep up, and a process killed while recording.
#include "Log/DiagnosticLog.hpp"
#include "MovieProbe.hpp"
#include "MovieWriter/MovieRecovery.hpp"
#include "MovieWriterTestSupport.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace MovieWriterTests {
namespace {

using UmberlinPlatform::MovieWriterStatus;
using namespace std::chrono_literals;

// The environment variable that tells a re-executed test binary where its private mounts are.
constexpr const char* faultMountsVariable = "UMBERLIN_MOVIE_WRITER_FAULT_MOUNTS";

SimulatorTests::SimulatorVideoSettings smallPicture(int frameCount) {
    return {.width = 128, .height = 72, .frameCount = frameCount, .keyFrameInterval = 15, .bitRate = 600'000};
}

// Descriptors of this process that point at `path`.
int openDescriptorsFor(const std::filesystem::path& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == path) {
            ++count;
        }
    }
    return count;
}

template <typename Condition> bool waitFor(Condition condition, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The writer's own sentence for what failed, with the system's reason beneath it.
void expectUnderlyingPosixError(const std::optional<UmberlinPlatform::MovieWriterError>& error, std::int64_t code,
                                const std::string& description, int errorNumber) {
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, UmberlinPlatform::movieWriterErrorDomain);
    EXPECT_EQ(error->code, code);
    EXPECT_EQ(error->localizedDescription, description);
    EXPECT_EQ(error->localizedFailureReason, std::string(std::strerror(errorNumber)) + ".");
    ASSERT_TRUE(error->underlyingError);
    EXPECT_EQ(error->underlyingError->domain, UmberlinPlatform::posixErrorDomain);
    EXPECT_EQ(error->underlyingError->code, errorNumber);
    EXPECT_EQ(error->underlyingError->localizedDescription, std::strerror(errorNumber));
}

TEST(MovieWriterFaults, AMissingFolderFailsToStartWithTheSystemsReason) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(1));
    auto writer = UmberlinPlatform::makeFfmpegMovieWriterFactory()(folder.path / "gone" / "movie.mov").writer;
    writer->addVideoInput({video.format, {}});
    writer->addAudioInput({pcmFormat(48000, 2), {48000, 2, 192000}});
    EXPECT_FALSE(writer->startWriting());
    EXPECT_EQ(writer->status(), MovieWriterStatus::failed);
    expectUnderlyingPosixError(writer->error(), UmberlinPlatform::MovieWriterErrorCode::cannotCreateFile,
                               "The movie file could not be created.", ENOENT);
}

TEST(MovieWriterFaults, StorageThatStallsMakesTheInputNotReadyAndCancellingClosesTheFile) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(90));
    const auto audio = pcmBuffers(pcmFormat(48000, 2), 0, 3.0);
    // A pipe nobody reads is storage that stops taking data once its small buffer is full.
    const std::filesystem::path path = folder.path / "stalled.mov";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ::fcntl(reader, F_SETPIPE_SZ, 4096);
    // Full when not one more byte fits (the bytes the probe adds are never read as a movie).
    const int probe = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    const auto storageIsFull = [&] { return ::write(probe, "", 1) < 0 && errno == EAGAIN; };

    // Both media, so that whole fragments reach the file, until the pipe is full: from then on
    // every write of the writer's thread blocks.
    OpenWriter writer =
        startWriter(path, video, pcmFormat(48000, 2), {}, {.videoQueueLimit = 4, .shutdownPatience = 50ms});
    std::size_t nextVideo = 0;
    std::size_t nextAudio = 0;
    while (nextVideo < video.samples.size() && !storageIsFull()) {
        const bool isVideo =
            video.samples[nextVideo]->presentationTimeStamp() <= audio[nextAudio]->presentationTimeStamp();
        auto& input = isVideo ? *writer.video : *writer.audio;
        waitFor([&] { return input.isReadyForMoreMediaData() || storageIsFull(); });
        if (input.isReadyForMoreMediaData()) {
            ASSERT_TRUE(input.append(isVideo ? video.samples[nextVideo++] : audio[nextAudio++]));
        }
    }
    ASSERT_TRUE(waitFor(storageIsFull));
    while (nextVideo < video.samples.size() && writer.video->isReadyForMoreMediaData()) {
        ASSERT_TRUE(writer.video->append(video.samples[nextVideo++]));
    }
    EXPECT_FALSE(writer.video->isReadyForMoreMediaData()) << "the writer took all " << nextVideo << " frames";
    EXPECT_EQ(writer.writer->status(), MovieWriterStatus::writing);

    writer.writer->cancelWriting();
    EXPECT_EQ(writer.writer->status(), MovieWriterStatus::cancelled);
    EXPECT_FALSE(writer.video->append(video.samples.back()));

    // Letting go of the stuck writer, and with it of its thread's last owner, returns after a
    // bounded wait that says what it leaves.
    std::vector<std::string> lines;
    const auto sink = UmberlinPlatform::addLogSink([&](const std::string& line) { lines.push_back(line); });
    writer = {};
    UmberlinPlatform::removeLogSink(sink);
    EXPECT_TRUE(std::ranges::any_of(lines, [](const std::string& line) {
        return line.starts_with("[Umberlin recording] Stopped waiting for the writer of stalled.mov:");
    }));

    // Reading on lets the stalled write return; the writer then closes its end (end of file).
    ::close(probe);
    ::fcntl(reader, F_SETFL, 0);
    char buffer[65536];
    const bool closed = waitFor([&] { return ::read(reader, buffer, sizeof buffer) == 0; });
    ::close(reader);
    EXPECT_TRUE(closed);
}

// A recording process killed between fragments, with the last fragment then cut short as a
// power cut might leave it: recovery leaves the movie alone while its writer lives, then rewrites
// it as a regular movie from its whole fragments.
TEST(MovieWriterFaults, AKilledRecordingIsRecoveredFromItsWholeFragmentsOnceItsWriterIsGone) {
    using Outcome = UmberlinPlatform::MovieRecoveryResult::Outcome;
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(60));
    const auto audio = pcmBuffers(pcmFormat(48000, 2), 0, 2.0);
    const std::filesystem::path path = folder.path / "killed.mov";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The recording process: three fragments (1.5 s) and the key frame that closes the third,
        // then it waits to be killed.
        OpenWriter writer = startWriter(path, video, pcmFormat(48000, 2));
        appendInTimeOrder(writer, {video.samples.begin(), video.samples.begin() + 46},
                          {audio.begin(), audio.begin() + 75});
        for (;;) {
            ::pause();
        }
    }
    const bool fragmentsOnDisk = waitFor([&] {
        const auto boxes = topLevelBoxes(path);  // whole boxes only
        return std::count(boxes.begin(), boxes.end(), "moof") >= 3 && boxes.back() == "mdat" &&
               boxes[boxes.size() - 2] == "moof";
    });
    const auto sizeWhileWriting = std::filesystem::file_size(path);
    const auto whileWriting = UmberlinPlatform::recoverInterruptedMovie(path);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(fragmentsOnDisk);
    EXPECT_EQ(whileWriting.outcome, Outcome::inUse);
    EXPECT_EQ(std::filesystem::file_size(path), sizeWhileWriting);

    // Cut the last fragment's media in half.
    const std::vector<std::string> killedBoxes = topLevelBoxes(path);
    const auto wholeFragments = std::count(killedBoxes.begin(), killedBoxes.end(), "moof") - 1;
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 2000);

    const auto recovery = UmberlinPlatform::recoverInterruptedMovie(path);
    ASSERT_EQ(recovery.outcome, Outcome::recovered) << recovery.reason;
    const auto boxes = topLevelBoxes(path);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "moov"), 1);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "moof"), 0);
    EXPECT_EQ(probeMovie(path)["streams"].size(), 2u);
    // Each fragment holds half a second (a key frame every 15 frames).
    const auto written = videoPacketChecksums(path);
    EXPECT_EQ(written.size(), static_cast<std::size_t>(wholeFragments * 15));
    for (std::size_t index = 0; index < written.size(); ++index) {
        EXPECT_EQ(written[index], md5Hex(video.accessUnits[index])) << index;
    }
    EXPECT_NEAR(recovery.durationSeconds, wholeFragments * 0.5, 0.1);
    EXPECT_EQ(runCommand("ffmpeg -v error -i " + quoted(path) + " -f null - 2>&1"), "");
    // Recovered once, the movie is a finished one.
    EXPECT_EQ(UmberlinPlatform::recoverInterruptedMovie(path).outcome, Outcome::notInterrupted);
}

// Finished movies, regular or fragmented, and files that are no movies are left as they are.
TEST(MovieWriterFaults, RecoveryLeavesFinishedMoviesAndOtherFilesAlone) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(30));
    for (const bool regular : {true, false}) {
        const std::filesystem::path path = folder.path / (regular ? "regular.mov" : "fragmented.mov");
        OpenWriter writer =
            startWriter(path, video, pcmFormat(48000, 2), {}, {.rewriteAsRegularMovieOnFinish = regular});
        appendInTimeOrder(writer, video.samples, pcmBuffers(pcmFormat(48000, 2), 0, 1.0));
        ASSERT_TRUE(finishWriter(writer, Media::MediaTime::make(1, 1)));
    }
    std::ofstream(folder.path / "notes.mov") << "not a movie";
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
        const auto before = runCommand("md5sum " + quoted(entry.path()));
        EXPECT_EQ(UmberlinPlatform::recoverInterruptedMovie(entry.path()).outcome,
                  UmberlinPlatform::MovieRecoveryResult::Outcome::notInterrupted)
            << entry.path();
        EXPECT_EQ(runCommand("md5sum " + quoted(entry.path())), before);
    }
}

// A power cut loses what the system has not yet written: each fragment is made durable as soon
// as it is handed to the system, before the next one is written.
TEST(MovieWriterFaults, EachFragmentIsSyncedBeforeTheNextIsWritten) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(60));
    const std::filesystem::path path = folder.path / "synced.mov";
    std::vector<long> fragmentsAtSync;  // whole fragments in the file at each sync, after the header's
    UmberlinPlatform::FfmpegMovieWriterOptions options{.rewriteAsRegularMovieOnFinish = false};
    options.syncFile = [&](int) {
        const auto boxes = topLevelBoxes(path);
        if (boxes.back() != "ftyp") {
            const bool whole = boxes.back() == "mdat" || boxes.back() == "mfra";
            fragmentsAtSync.push_back(whole ? std::count(boxes.begin(), boxes.end(), "moof") : -1);
        }
        return 0;
    };
    OpenWriter writer = startWriter(path, video, pcmFormat(48000, 2), {}, options);
    appendInTimeOrder(writer, video.samples, pcmBuffers(pcmFormat(48000, 2), 0, 2.0));
    ASSERT_TRUE(finishWriter(writer, Media::MediaTime::make(2, 1)));
    // A key frame every 15 frames: three fragments complete while recording; the fourth comes
    // with the fragment index that ends the file.
    EXPECT_EQ(fragmentsAtSync, (std::vector<long>{1, 2, 3, 4}));
}

TEST(MovieWriterFaults, AudioThatNeverComesDoesNotHoldTheVideoBack) {
    ScratchFolder folder;
    const EncodedVideo video =
        encodeSimulatorVideo({.width = 16, .height = 16, .frameCount = 240, .keyFrameInterval = 30, .bitRate = 20'000});
    const std::filesystem::path path = folder.path / "silent.mov";
    OpenWriter writer = startWriter(path, video, pcmFormat(48000, 2));
    appendInTimeOrder(writer, video.samples, {});
    // Fragments reach the disk while recording, although the audio track never got a buffer.
    EXPECT_TRUE(waitFor([&] {
        const auto boxes = topLevelBoxes(path);
        return std::find(boxes.begin(), boxes.end(), "moof") != boxes.end();
    }));
    ASSERT_TRUE(finishWriter(writer, Media::MediaTime::make(8, 1)));
    EXPECT_EQ(writer.writer->status(), MovieWriterStatus::completed);
    EXPECT_EQ(probeMovie(path)["streams"].size(), 2u);
    EXPECT_EQ(videoPacketChecksums(path).size(), 240u);
}

// Runs the tests of MovieWriterFaultsInNamespace again in a private mount namespace, where a full
// and a nearly full file system are mounted for them and vanish with the namespace.
TEST(MovieWriterFaults, FileSystemsThatAreFullOrTight) {
    if (std::getenv(faultMountsVariable)) {
        GTEST_SKIP() << "already inside the namespace";
    }
    if (::geteuid() != 0 || std::system("unshare --mount --propagation private true 2>/dev/null") != 0) {
        GTEST_SKIP() << "cannot make a private mount namespace here (needs root and unshare)";
    }
    ScratchFolder folder;
    std::string mounts;
    for (const auto& [name, options] : {std::pair{"full", "size=16k"}, {"tight", "size=4m"}}) {
        std::filesystem::create_directories(folder.path / name);
        mounts += std::string("mount -t tmpfs -o ") + options + " tmpfs " + (folder.path / name).string() + " && ";
    }
    const std::string command = "unshare --mount --propagation private sh -c '" + mounts + faultMountsVariable + "=" +
                                folder.path.string() + " exec " +
                                std::filesystem::read_symlink("/proc/self/exe").string() +
                                " --gtest_filter=MovieWriterFaultsInNamespace.*' 2>&1";
    const std::string output = runCommand(command);
    EXPECT_NE(output.find("[  PASSED  ] 2 tests."), std::string::npos) << output;
}

class MovieWriterFaultsInNamespace : public ::testing::Test {
protected:
    void SetUp() override {
        const char* mounts = std::getenv(faultMountsVariable);
        if (!mounts) {
            GTEST_SKIP() << "runs inside the namespace that MovieWriterFaults.FileSystemsThatAreFullOrTight makes";
        }
        root = mounts;
    }
    std::filesystem::path root;
};

TEST_F(MovieWriterFaultsInNamespace, AFullFileSystemFailsTheWriterAndClosesTheFile) {
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(60));
    const std::filesystem::path path = root / "full" / "movie.mov";
    OpenWriter writer = startWriter(path, video, pcmFormat(48000, 2));
    const auto audio = pcmBuffers(pcmFormat(48000, 2), 0, 2.0);
    std::size_t nextVideo = 0;
    std::size_t nextAudio = 0;
    // Append in time order until the writer gives up.
    while (writer.writer->status() == MovieWriterStatus::writing && nextVideo < video.samples.size()) {
        waitFor([&] {
            return writer.video->isReadyForMoreMediaData() || writer.writer->status() != MovieWriterStatus::writing;
        });
        writer.video->append(video.samples[nextVideo++]);
        while (nextAudio < audio.size() &&
               audio[nextAudio]->presentationTimeStamp() < video.samples[nextVideo - 1]->presentationTimeStamp()) {
            writer.audio->append(audio[nextAudio++]);
        }
    }
    EXPECT_FALSE(finishWriter(writer, Media::MediaTime::make(2, 1), 10s) &&
                 writer.writer->status() == MovieWriterStatus::completed);
    EXPECT_EQ(writer.writer->status(), MovieWriterStatus::failed);
    expectUnderlyingPosixError(writer.writer->error(), UmberlinPlatform::MovieWriterErrorCode::cannotWriteFile,
                               "The movie file could not be written.", ENOSPC);
    EXPECT_TRUE(waitFor([&] { return openDescriptorsFor(path) == 0; }));
}

TEST_F(MovieWriterFaultsInNamespace, WithoutRoomForTheRewriteTheFragmentedMovieIsKept) {
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(60));
    const std::filesystem::path path = root / "tight" / "movie.mov";
    OpenWriter writer = startWriter(path, video, pcmFormat(48000, 2));
    appendInTimeOrder(writer, video.samples, pcmBuffers(pcmFormat(48000, 2), 0, 2.0));
    ASSERT_TRUE(waitFor([&] {
        const auto boxes = topLevelBoxes(path);
        // 1.5 of the 2 seconds on disk: three whole fragments, each a moof and its complete mdat
        // (a moof alone leaves its samples, a key frame among them, still to be written).
        return std::count(boxes.begin(), boxes.end(), "moof") >= 3 &&
               std::count(boxes.begin(), boxes.end(), "mdat") >= 3;
    }));
    // Leave room for the last fragment (a quarter of the movie), not for a second copy of it.
    const auto written = static_cast<std::streamsize>(std::filesystem::file_size(path));
    const auto room = static_cast<std::streamsize>(std::filesystem::space(root / "tight").available);
    std::ofstream(root / "tight" / "ballast", std::ios::binary)
        .write(std::string(room - written / 2, '\0').data(), room - written / 2);
    ASSERT_TRUE(finishWriter(writer, Media::MediaTime::make(2, 1)));
    std::filesystem::remove(root / "tight" / "ballast");
    EXPECT_EQ(writer.writer->status(), MovieWriterStatus::completed);

    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(root / "tight"), {}),
              std::vector<std::filesystem::path>{path});  // no half-written copy left beside it
    const auto boxes = topLevelBoxes(path);
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "moof"), boxes.end());
    EXPECT_EQ(probeMovie(path)["streams"].size(), 2u);
    std::vector<std::string> sent;
    for (const auto& accessUnit : video.accessUnits) {
        sent.push_back(md5Hex(accessUnit));
    }
    EXPECT_EQ(videoPacketChecksums(path), sent);
}

}  // namespace
}  // namespace MovieWriterTests
