#include "MovieWriterTestSupport.hpp"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace MovieWriterTests {

std::shared_ptr<const Media::AudioFormatDescription> pcmFormat(double sampleRate, int channels) {
    return Media::AudioFormatDescription::make(
               Media::AudioStreamBasicDescription::linearPcm16(sampleRate, static_cast<std::uint32_t>(channels)))
        .object;
}

Media::SampleBufferRef pcmBuffer(const std::shared_ptr<const Media::AudioFormatDescription>& format,
                                 double startSeconds, int frames, bool tone) {
    const auto& description = format->streamBasicDescription();
    const int channels = static_cast<int>(description.channelsPerFrame);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * channels * 2);
    const double rate = description.sampleRate;
    const auto first = static_cast<std::int64_t>(std::llround(startSeconds * rate));
    for (int frame = 0; frame < frames; ++frame) {
        const double phase = 2 * M_PI * 1000.0 * static_cast<double>(first + frame) / rate;
        const auto sample = static_cast<std::int16_t>(tone ? 16384 * std::sin(phase) : 0);
        for (int channel = 0; channel < channels; ++channel) {
            const std::size_t offset = (static_cast<std::size_t>(frame) * channels + channel) * 2;
            bytes[offset] = static_cast<std::uint8_t>(sample & 0xff);
            bytes[offset + 1] = static_cast<std::uint8_t>((sample >> 8) & 0xff);
        }
    }
    auto block = Media::BlockBuffer::makeWithMemoryBlock(bytes.size()).object;
    block->replaceDataBytes(bytes, 0);
    const Media::SampleTimingInfo timing{
        Media::MediaTime::make(1, static_cast<std::int32_t>(rate)),
        Media::MediaTime::make(first * 1'000'000'000 / static_cast<std::int64_t>(rate), 1'000'000'000),
        Media::MediaTime::invalid()};
    const std::size_t frameSize = description.bytesPerFrame;
    return Media::SampleBuffer::makeReady(block, format, frames, std::span(&timing, 1), std::span(&frameSize, 1))
        .object;
}

std::vector<Media::SampleBufferRef> pcmBuffers(const std::shared_ptr<const Media::AudioFormatDescription>& format,
                                               double startSeconds, double seconds, bool tone) {
    const double rate = format->streamBasicDescription().sampleRate;
    const int framesPerBuffer = static_cast<int>(rate / 50);
    std::vector<Media::SampleBufferRef> buffers;
    const int count = static_cast<int>(std::lround(seconds * 50));
    for (int index = 0; index < count; ++index) {
        buffers.push_back(pcmBuffer(format, startSeconds + index / 50.0, framesPerBuffer, tone));
    }
    return buffers;
}

OpenWriter startWriter(const std::filesystem::path& path, const EncodedVideo& video,
                       const std::shared_ptr<const Media::AudioFormatDescription>& audioFormat,
                       UmberlinPlatform::AffineTransform transform,
                       UmberlinPlatform::FfmpegMovieWriterOptions options) {
    OpenWriter open;
    open.writer = UmberlinPlatform::makeFfmpegMovieWriterFactory(options)(path).writer;
    const auto& description = audioFormat->streamBasicDescription();
    const int channels = static_cast<int>(description.channelsPerFrame);
    open.video = open.writer->addVideoInput({video.format, transform});
    open.audio =
        open.writer->addAudioInput({audioFormat, {description.sampleRate, channels, channels <= 1 ? 128000 : 192000}});
    EXPECT_TRUE(open.video && open.audio);
    EXPECT_TRUE(open.writer->startWriting());
    open.writer->startSession(Media::MediaTime::zero());
    return open;
}

namespace {

void appendWhenReady(UmberlinPlatform::MovieWriterInput& input, const Media::SampleBufferRef& buffer) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!input.isReadyForMoreMediaData() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(input.append(buffer));
}

}  // namespace

void appendInTimeOrder(OpenWriter& writer, const std::vector<Media::SampleBufferRef>& video,
                       const std::vector<Media::SampleBufferRef>& audio) {
    std::size_t nextVideo = 0;
    std::size_t nextAudio = 0;
    while (nextVideo < video.size() || nextAudio < audio.size()) {
        const bool videoFirst =
            nextAudio == audio.size() || (nextVideo < video.size() && video[nextVideo]->presentationTimeStamp() <=
                                                                          audio[nextAudio]->presentationTimeStamp());
        if (videoFirst) {
            appendWhenReady(*writer.video, video[nextVideo++]);
        } else {
            appendWhenReady(*writer.audio, audio[nextAudio++]);
        }
    }
}

bool finishWriter(OpenWriter& writer, const Media::MediaTime& end, std::chrono::seconds timeout) {
    writer.video->markAsFinished();
    writer.audio->markAsFinished();
    writer.writer->endSession(end);
    auto done = std::make_shared<std::pair<std::mutex, std::condition_variable>>();
    auto finished = std::make_shared<bool>(false);
    writer.writer->finishWriting([done, finished] {
        std::lock_guard lock(done->first);
        *finished = true;
        done->second.notify_all();
    });
    std::unique_lock lock(done->first);
    return done->second.wait_for(lock, timeout, [&] { return *finished; });
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "movie-writer-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

}  // namespace MovieWriterTests
