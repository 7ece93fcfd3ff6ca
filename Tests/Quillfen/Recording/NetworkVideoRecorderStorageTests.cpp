// The recorder on the real FFmpeg writer: a finished movie, and storage that fails under it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "MovieWriter/FfmpegMovieWriter.hpp"
#include "Recording/NetworkVideoRecorderFixture.hpp"

namespace QuillfenTests {
namespace {

using namespace std::chrono_literals;

class NetworkVideoRecorderStorageTest : public NetworkVideoRecorderTest {
protected:
    void useRealWriter(
        UmberlinPlatform::MovieWriterFactory factory = UmberlinPlatform::makeFfmpegMovieWriterFactory()) {
        recorder = Quillfen::NetworkVideoRecorder::create({queue, std::move(factory)});
        recorder->onStateChanged = [this](const State& state) { states.push_back(state); };
        recorder->onFinished = [this](const std::filesystem::path& url) { finished.push_back(url); };
    }

    // Runs the queue until `condition` holds (the writer thread reports back through it).
    template <typename Condition> bool runUntil(Condition condition) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!condition() && std::chrono::steady_clock::now() < deadline) {
            if (queue->runAllReady() == 0) {
                std::this_thread::sleep_for(1ms);
            }
        }
        return condition();
    }

    // `seconds` of 30 fps video with 20 ms audio buffers, from the key frame at time zero on.
    void feed(double seconds) {
        for (int frame = 0; frame < seconds * 30; ++frame) {
            recorder->append(videoBuffer(frame * 1'000'000'000LL / 30, frame % 15 == 0), frame % 15 == 0);
        }
        for (int buffer = 0; buffer < seconds * 50; ++buffer) {
            recorder->appendAudio(audioBuffer(buffer * 20'000'000LL));
        }
    }
};

TEST_F(NetworkVideoRecorderStorageTest, FinishesAMovieInPlaceOfAnOlderFile) {
    useRealWriter();
    std::ofstream(movie) << std::string(1 << 20, 'x');
    recorder->updateAudioFormat(testAudioFormat());
    recorder->prepare(movie, 90);
    feed(1.0);
    recorder->stop();
    ASSERT_TRUE(runUntil([&] { return !finished.empty(); })) << (states.empty() ? "" : states.back().message());
    EXPECT_EQ(finished, std::vector<std::filesystem::path>{movie});
    EXPECT_EQ(states.back(), State::idle());
    EXPECT_LT(std::filesystem::file_size(movie), 1u << 20);
    std::ifstream file(movie, std::ios::binary);
    std::string start(8, '\0');
    file.read(start.data(), 8);
    EXPECT_EQ(start.substr(4), "ftyp");
    EXPECT_TRUE(log.contains("[Umberlin recording] Finished HEVC + AAC recording with writer status 2"));
}

TEST_F(NetworkVideoRecorderStorageTest, AMissingFolderFailsWithTheSystemsReason) {
    useRealWriter();
    const std::filesystem::path gone = folder / "removed" / "Take 1.mov";
    recorder->updateAudioFormat(testAudioFormat());
    recorder->prepare(gone, 0);
    feed(0.1);
    ASSERT_TRUE(runUntil([&] { return !states.empty() && states.back().kind() == State::Kind::failed; }));
    EXPECT_EQ(states.back().message(),
              "The movie file could not be created.\n"
              "No such file or directory.\n"
              "File: " +
                  gone.string() +
                  "\n"
                  "Technical details: org.umberlin.movie-writer (1)\n"
                  "Underlying error: NSPOSIXErrorDomain (2): No such file or directory");
}

TEST_F(NetworkVideoRecorderStorageTest, StorageThatStallsFailsTheRecordingAndReleasesTheFile) {
    // The movie goes to a pipe that takes 4 KB and is then never read: storage that stops.
    const std::filesystem::path pipe = folder / "stalled";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ::fcntl(reader, F_SETPIPE_SZ, 4096);
    useRealWriter([pipe](const std::filesystem::path&) {
        return UmberlinPlatform::makeFfmpegMovieWriterFactory({.videoQueueLimit = 8})(pipe);
    });
    recorder->updateAudioFormat(testAudioFormat());
    recorder->prepare(movie, 0);
    // Frames arrive while the writer thread is stuck, until one finds the video input full.
    for (int frame = 0; frame < 900 && (states.empty() || states.back().kind() != State::Kind::failed); ++frame) {
        recorder->append(videoBuffer(frame * 1'000'000'000LL / 30, frame % 15 == 0), frame % 15 == 0);
        recorder->appendAudio(audioBuffer(frame * 1'000'000'000LL / 30, 1600));
        runUntil([&] { return queue->readyCount() == 0; });
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(),
              State::failed("The selected storage could not keep up with the camera stream.\nFile: " + movie.string()));
    // Once the stalled write returns, the cancelled writer closes its end of the pipe.
    ::fcntl(reader, F_SETFL, 0);
    char buffer[65536];
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    ssize_t count = 1;
    while (count != 0 && std::chrono::steady_clock::now() < deadline) {
        count = ::read(reader, buffer, sizeof buffer);
    }
    ::close(reader);
    EXPECT_EQ(count, 0);
}

// The test runs itself again in a private mount namespace with a 64 KB file system mounted for it;
// the variable names that file system's folder.
constexpr const char* fullFolderVariable = "UMBERLIN_RECORDER_FULL_FOLDER";

TEST_F(NetworkVideoRecorderStorageTest, AFullFileSystemFailsTheRecordingWithTheSystemsReason) {
    const char* fullFolder = std::getenv(fullFolderVariable);
    if (!fullFolder) {
        if (::geteuid() != 0 || std::system("unshare --mount --propagation private true 2>/dev/null") != 0) {
            GTEST_SKIP() << "cannot make a private mount namespace here (needs root and unshare)";
        }
        std::filesystem::create_directories(folder / "full");
        const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        const std::string command = "unshare --mount --propagation private sh -c 'mount -t tmpfs -o size=64k tmpfs " +
                                    (folder / "full").string() + " && " + fullFolderVariable + "=" +
                                    (folder / "full").string() + " exec " + self +
                                    " --gtest_filter=NetworkVideoRecorderStorageTest.AFullFileSystem*' 2>&1";
        std::string output;
        FILE* child = ::popen(command.c_str(), "r");
        ASSERT_TRUE(child);
        char buffer[4096];
        for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, child)) > 0;) {
            output.append(buffer, count);
        }
        EXPECT_EQ(::pclose(child), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
        return;
    }
    useRealWriter();
    const std::filesystem::path full = std::filesystem::path(fullFolder) / "Take 1.mov";
    recorder->updateAudioFormat(testAudioFormat());
    recorder->prepare(full, 0);
    const auto failed = [&] { return !states.empty() && states.back().kind() == State::Kind::failed; };
    // 4 KB frames: the second fragment no longer fits.
    for (int frame = 0; frame < 300 && !failed(); ++frame) {
        recorder->append(videoBuffer(frame * 1'000'000'000LL / 30, frame % 15 == 0, testVideoFormat(), 4096),
                         frame % 15 == 0);
        recorder->appendAudio(audioBuffer(frame * 1'000'000'000LL / 30, 1600));
        runUntil([&] { return queue->readyCount() == 0; });
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(failed());
    EXPECT_EQ(states.back().message(),
              "The movie file could not be written.\n"
              "No space left on device.\n"
              "File: " +
                  full.string() +
                  "\n"
                  "Technical details: org.umberlin.movie-writer (2)\n"
                  "Underlying error: NSPOSIXErrorDomain (28): No space left on device");
}

}  // namespace
}  // namespace QuillfenTests
