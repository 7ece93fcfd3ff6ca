// Movies written by the real writer, read back by ffprobe, ffmpeg and our own box reader.
#include "Media/NalUnitLengthPrefixes.hpp"
#include "MovieProbe.hpp"
#include "MovieWriterTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace MovieWriterTests {
namespace {

constexpr int framesPerSecond = 30;

SimulatorTests::SimulatorVideoSettings smallPicture(int frameCount) {
    return {.width = 128, .height = 72, .frameCount = frameCount, .keyFrameInterval = 15, .bitRate = 300'000};
}

double number(const nlohmann::json& value) { return std::stod(value.get<std::string>()); }

// Writes `video` with two seconds of audio at `sampleRate` and `channels` and returns the path.
std::filesystem::path writeMovie(const ScratchFolder& folder, const EncodedVideo& video, double sampleRate,
                                 int channels, UmberlinPlatform::AffineTransform transform = {}) {
    const std::filesystem::path path = folder.path / "movie.mov";
    OpenWriter writer = startWriter(path, video, pcmFormat(sampleRate, channels), transform);
    appendInTimeOrder(writer, video.samples, pcmBuffers(pcmFormat(sampleRate, channels), 0, 2.0));
    EXPECT_TRUE(finishWriter(writer, Media::MediaTime::make(2, 1)));
    EXPECT_EQ(writer.writer->status(), UmberlinPlatform::MovieWriterStatus::completed);
    return path;
}

TEST(MovieWriterFile, HoldsTheHevcPassedThroughAndAacFromThePcm) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(2 * framesPerSecond));
    const std::filesystem::path path = writeMovie(folder, video, 48000, 2);

    const nlohmann::json probe = probeMovie(path);
    ASSERT_EQ(probe["streams"].size(), 2u);
    const nlohmann::json& videoStream = probe["streams"][0];
    const nlohmann::json& audioStream = probe["streams"][1];
    EXPECT_EQ(videoStream["codec_name"], "hevc");
    EXPECT_EQ(videoStream["codec_tag_string"], "hvc1");
    EXPECT_EQ(videoStream["width"], 128);
    EXPECT_EQ(videoStream["time_base"], "1/90000");
    EXPECT_EQ(number(videoStream["start_time"]), 0.0);
    EXPECT_NEAR(number(videoStream["duration"]), 2.0, 1e-6);
    EXPECT_EQ(audioStream["codec_name"], "aac");
    EXPECT_EQ(audioStream["sample_rate"], "48000");
    EXPECT_EQ(audioStream["channels"], 2);
    EXPECT_EQ(number(audioStream["start_time"]), 0.0);  // the encoder's priming is hidden
    EXPECT_NEAR(number(audioStream["duration"]), 2.0, 1.0 / framesPerSecond);
    EXPECT_NEAR(number(probe["format"]["duration"]), 2.0, 1.0 / framesPerSecond);
    EXPECT_NEAR(std::stoi(audioStream["bit_rate"].get<std::string>()), 192000, 40000);

    // Every access unit arrives in the file byte for byte, the first one a key frame.
    std::vector<std::string> sent;
    for (const auto& accessUnit : video.accessUnits) {
        sent.push_back(md5Hex(accessUnit));
    }
    EXPECT_EQ(videoPacketChecksums(path), sent);
    const std::string firstFrame = runCommand(
        "ffprobe -v error -select_streams v:0 -read_intervals %+#1 "
        "-show_entries packet=pts_time,flags -of csv=p=0 " +
        quoted(path));
    EXPECT_EQ(firstFrame, "0.000000,K_\n");
    // A finished movie is a regular one: a single index, no fragments.
    const auto boxes = topLevelBoxes(path);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "moov"), 1);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "moof"), 0);
}

TEST(MovieWriterFile, ReleasingAFinishingWriterLeavesTheWholeMovieOnceItsFactoryIsGone) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(framesPerSecond));
    const std::filesystem::path path = folder.path / "released.mov";
    OpenWriter writer =
        startWriter(path, video, pcmFormat(48000, 2), {}, {.shutdownPatience = std::chrono::minutes(1)});
    appendInTimeOrder(writer, video.samples, pcmBuffers(pcmFormat(48000, 2), 0, 1.0));
    writer.video->markAsFinished();
    writer.audio->markAsFinished();
    writer.writer->endSession(Media::MediaTime::make(1, 1));
    writer.writer->finishWriting({});
    writer = {};

    // Nothing writes the file any more: it is the whole regular movie already.
    EXPECT_EQ(videoPacketChecksums(path).size(), video.samples.size());
    const auto boxes = topLevelBoxes(path);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "moov"), 1);
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "moof"), 0);
}

TEST(MovieWriterFile, AudioStartsAtTheVideoFrameWithTheSameTimestamp) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(2 * framesPerSecond));
    const std::filesystem::path path = folder.path / "sync.mov";
    const auto format = pcmFormat(48000, 1);
    OpenWriter writer = startWriter(path, video, format);
    // Silence until 0.5 s, then a tone: the tone must be heard exactly at 0.5 s.
    auto audio = pcmBuffers(format, 0.1, 0.4, false);
    const auto tone = pcmBuffers(format, 0.5, 1.5, true);
    audio.insert(audio.end(), tone.begin(), tone.end());
    appendInTimeOrder(writer, video.samples, audio);
    ASSERT_TRUE(finishWriter(writer, Media::MediaTime::make(2, 1)));

    const std::vector<std::int16_t> samples = decodedAudio(path, 48000);
    const auto onset =
        std::find_if(samples.begin(), samples.end(), [](std::int16_t sample) { return std::abs(sample) > 2000; });
    ASSERT_NE(onset, samples.end());
    EXPECT_NEAR(static_cast<double>(onset - samples.begin()) / 48000, 0.5, 0.002);
}

TEST(MovieWriterFile, AudioKeepsTheSourceRateAndChannelsUpTo96kHz) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(2 * framesPerSecond));
    struct Case {
        double sourceRate;
        int channels;
        std::string writtenRate;
        int bitRate;
    };
    for (const Case& test :
         {Case{44100, 1, "44100", 128000}, Case{96000, 2, "96000", 192000}, Case{192000, 2, "48000", 192000},
          Case{48000, 3, "48000", 192000}, Case{48000, 6, "48000", 192000}, Case{48000, 7, "48000", 192000},
          Case{48000, 8, "48000", 192000}}) {
        const auto stream = probeMovie(writeMovie(folder, video, test.sourceRate, test.channels))["streams"][1];
        EXPECT_EQ(stream["sample_rate"], test.writtenRate) << test.sourceRate;
        EXPECT_EQ(stream["channels"], test.channels) << test.sourceRate;
        EXPECT_NEAR(number(stream["duration"]), 2.0, 1.0 / framesPerSecond) << test.sourceRate;
        EXPECT_NEAR(std::stoi(stream["bit_rate"].get<std::string>()), test.bitRate, 40000) << test.sourceRate;
    }
}

TEST(MovieWriterFile, EveryRotationReachesTheTrackHeader) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(framesPerSecond / 3));
    struct Case {
        UmberlinPlatform::AffineTransform transform;
        int displayedRotation;  // as ffprobe reports the display matrix
    };
    const Case cases[] = {{{1, 0, 0, 1, 0, 0}, 0},
                          {{0, 1, -1, 0, 72, 0}, -90},
                          {{-1, 0, 0, -1, 128, 72}, 180},
                          {{0, -1, 1, 0, 0, 128}, 90}};
    for (const Case& test : cases) {
        const std::filesystem::path path = folder.path / "rotated.mov";
        OpenWriter writer = startWriter(path, video, pcmFormat(48000, 2), test.transform);
        appendInTimeOrder(writer, video.samples, pcmBuffers(pcmFormat(48000, 2), 0, 0.34));
        ASSERT_TRUE(finishWriter(writer, Media::MediaTime::make(1, 3)));

        const auto matrices = trackMatrices(path);
        ASSERT_EQ(matrices.size(), 2u);
        const auto& t = test.transform;
        const std::array<std::int32_t, 9> expected = {std::int32_t(t.a * 65536),  std::int32_t(t.b * 65536),  0,
                                                      std::int32_t(t.c * 65536),  std::int32_t(t.d * 65536),  0,
                                                      std::int32_t(t.tx * 65536), std::int32_t(t.ty * 65536), 1 << 30};
        EXPECT_EQ(matrices[0], expected) << test.displayedRotation;
        const std::string rotation = runCommand(
            "ffprobe -v error -select_streams v:0 -show_entries "
            "stream_side_data=rotation -of csv=p=0 " +
            quoted(path));
        // ffprobe leaves out the side data of an identity matrix.
        const bool noRotation = rotation.find_first_not_of(" \n") == std::string::npos;
        const long degrees = noRotation ? 0 : std::lround(std::stod(rotation));
        EXPECT_EQ((degrees - test.displayedRotation) % 360, 0) << degrees;
    }
}

TEST(MovieWriterFile, ShortLengthPrefixesAreKeptAndThreeByteOnesWidened) {
    ScratchFolder folder;
    for (int length : {1, 2, 3}) {
        // One-byte prefixes hold units up to 255 bytes only: a tiny picture at a starved rate.
        SimulatorTests::SimulatorVideoSettings settings = smallPicture(framesPerSecond);
        settings.nalUnitHeaderLength = length;
        if (length == 1) {
            settings.width = 16;
            settings.height = 16;
            settings.bitRate = 1'000;
        }
        const EncodedVideo video = encodeSimulatorVideo(settings);
        const std::filesystem::path path = writeMovie(folder, video, 48000, 2);
        std::vector<std::string> expected;
        for (const auto& accessUnit : video.accessUnits) {
            const int movieLength = length == 3 ? 4 : length;
            expected.push_back(md5Hex(*Media::resizeNalUnitLengthPrefixes(accessUnit, length, movieLength)));
        }
        EXPECT_EQ(videoPacketChecksums(path), expected) << length;
        EXPECT_EQ(runCommand("ffmpeg -v error -i " + quoted(path) + " -map 0:v -f null - 2>&1"), "") << length;
    }
}

TEST(MovieWriterFile, VideoTheTrackCannotHoldIsRefusedAndNeverWritten) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(2));
    SimulatorTests::SimulatorVideoSettings otherSize = smallPicture(3);
    otherSize.width = 64;
    otherSize.height = 48;
    const EncodedVideo other = encodeSimulatorVideo(otherSize);
    const std::filesystem::path path = folder.path / "refused.mov";
    OpenWriter writer = startWriter(path, video, pcmFormat(48000, 2));
    ASSERT_TRUE(writer.video->append(video.samples[0]));
    EXPECT_FALSE(writer.video->append(video.samples[0])) << "a decode time equal to the previous one";
    EXPECT_FALSE(writer.video->append(other.samples[2])) << "a later frame in another format";
    EXPECT_TRUE(writer.video->append(video.samples[1]));
    ASSERT_TRUE(finishWriter(writer, Media::MediaTime::make(2, framesPerSecond)));
    EXPECT_EQ(videoPacketChecksums(path), (std::vector{md5Hex(video.accessUnits[0]), md5Hex(video.accessUnits[1])}));
}

TEST(MovieWriterFile, AnExistingFileIsOverwritten) {
    ScratchFolder folder;
    const EncodedVideo video = encodeSimulatorVideo(smallPicture(framesPerSecond));
    std::ofstream(folder.path / "movie.mov") << std::string(1 << 20, 'x');
    const std::filesystem::path path = writeMovie(folder, video, 48000, 2);
    EXPECT_EQ(probeMovie(path)["streams"].size(), 2u);
    EXPECT_LT(std::filesystem::file_size(path), 1u << 20);
}

}  // namespace
}  // namespace MovieWriterTests
