// Recording cost: the FFmpeg movie writer fed 4K30 HEVC and 48 kHz stereo PCM as fast as it
// takes them, against `ffmpeg -c copy` of the same stream on the same disk, and the AAC encoder
// on its own. Prints CPU per second of media (all threads of this process), throughput, and the
// time finishing takes (the rewrite from fragmented to regular movie). The writer runs twice: with
// each fragment made durable (fdatasync, as the recorder runs it, timed call by call) and with the
// fragments left to the system's write-back, to show what durability costs.
//
//   RecordingBenchmark [folder] [seconds]     (defaults: the temporary folder, 10 seconds)
#include "MediaSupport/HevcEncoder.hpp"
#include "MovieWriter/AacTrackEncoder.hpp"
#include "MovieWriter/FfmpegMovieWriter.hpp"

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

struct Stream {
    std::shared_ptr<const Media::VideoFormatDescription> format;
    std::vector<std::vector<std::uint8_t>> accessUnits;  // one second, repeated
    std::size_t bytesPerSecond = 0;
};

// One second of 4K30 HEVC (a key frame each second), repeated for longer recordings: the
// writer never decodes, so only sizes and timing matter.
Stream encodeOneSecond() {
    UmberlinTools::HevcEncoder encoder(
        {.width = 3840, .height = 2160, .framesPerSecond = 30, .keyFrameInterval = 30, .bitRate = 50'000'000});
    Stream stream;
    stream.format = Media::VideoFormatDescription::makeFromHevcParameterSets(encoder.parameterSets(), 4).object;
    for (int frame = 0; frame < 30; ++frame) {
        auto& picture = encoder.nextPicture();
        for (int row = 0; row < picture.height; ++row) {
            for (int column = 0; column < picture.width; ++column) {
                picture.planes[0][row * picture.strides[0] + column] =
                    static_cast<std::uint8_t>((column ^ row) + frame * 7 + (row * column >> 9));
            }
        }
        for (auto& encoded : encoder.encode(frame * 1'000'000'000LL / 30)) {
            stream.accessUnits.push_back(encoded.accessUnit);
        }
    }
    for (auto& encoded : encoder.flush()) {
        stream.accessUnits.push_back(encoded.accessUnit);
    }
    for (const auto& unit : stream.accessUnits) {
        stream.bytesPerSecond += unit.size();
    }
    return stream;
}

Media::SampleBufferRef makeBuffer(const std::vector<std::uint8_t>& bytes,
                                  std::shared_ptr<const Media::FormatDescription> format, std::int64_t count,
                                  std::size_t sampleSize, Media::MediaTime duration,
                                  std::int64_t presentationNanoseconds, std::optional<bool> notSync) {
    auto block = Media::BlockBuffer::makeWithMemoryBlock(bytes.size()).object;
    block->replaceDataBytes(bytes, 0);
    const Media::SampleTimingInfo timing{duration, Media::MediaTime::make(presentationNanoseconds, 1'000'000'000),
                                         Media::MediaTime::invalid()};
    auto buffer =
        Media::SampleBuffer::makeReady(block, format, count, std::span(&timing, 1), std::span(&sampleSize, 1)).object;
    if (notSync) {
        buffer->sampleAttachments(true)->front().notSync = notSync;
    }
    return buffer;
}

std::shared_ptr<const Media::AudioFormatDescription> stereo48k() {
    Media::AudioStreamBasicDescription description{
        48000,
        Media::audioFormatLinearPcm,
        Media::audioFormatFlagIsSignedInteger | Media::audioFormatFlagIsPacked,
        4,
        1,
        4,
        2,
        16,
        0};
    return Media::AudioFormatDescription::make(description).object;
}

std::vector<std::uint8_t> tone(int frames, int first) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(frames) * 4);
    for (int frame = 0; frame < frames; ++frame) {
        const auto sample = static_cast<std::int16_t>(12000 * std::sin((first + frame) * 2 * M_PI * 440 / 48000.0));
        for (int channel = 0; channel < 2; ++channel) {
            bytes[frame * 4 + channel * 2] = static_cast<std::uint8_t>(sample & 0xff);
            bytes[frame * 4 + channel * 2 + 1] = static_cast<std::uint8_t>(sample >> 8);
        }
    }
    return bytes;
}

void waitUntilReady(UmberlinPlatform::MovieWriterInput& input) {
    while (!input.isReadyForMoreMediaData()) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// The fdatasync calls of one recording, each timed.
struct SyncTimes {
    std::mutex mutex;
    std::vector<double> seconds;
};

void printSyncTimes(SyncTimes& times) {
    std::lock_guard lock(times.mutex);
    if (times.seconds.empty()) {
        std::printf("  fragments synced:         none (left to the system's write-back)\n");
        return;
    }
    std::sort(times.seconds.begin(), times.seconds.end());
    const auto at = [&](double share) {
        return times
            .seconds[std::min(times.seconds.size() - 1, static_cast<std::size_t>(share * times.seconds.size()))];
    };
    double total = 0;
    for (const double time : times.seconds) total += time;
    std::printf(
        "  fragments synced:         %zu fdatasync calls, median %.1f ms, 90th %.1f ms, longest %.1f ms, "
        "%.2f s in all\n",
        times.seconds.size(), at(0.5) * 1000, at(0.9) * 1000, times.seconds.back() * 1000, total);
}

void recordWithWriter(const Stream& stream, const std::filesystem::path& path, int seconds, bool syncFragments) {
    SyncTimes syncTimes;
    UmberlinPlatform::FfmpegMovieWriterOptions options;
    options.syncFile = nullptr;
    if (syncFragments) {
        options.syncFile = [&syncTimes](int descriptor) {
            const auto start = Clock::now();
            const int result = UmberlinPlatform::syncFileData(descriptor);
            std::lock_guard lock(syncTimes.mutex);
            syncTimes.seconds.push_back(since(start));
            return result;
        };
    }
    auto writer = UmberlinPlatform::makeFfmpegMovieWriterFactory(options)(path).writer;
    const auto audioFormat = stereo48k();
    auto video = writer->addVideoInput({stream.format, {}});
    auto audio = writer->addAudioInput({audioFormat, {48000, 2, 192000}});
    if (!writer->startWriting()) {
        std::printf("cannot write %s\n", path.c_str());
        return;
    }
    writer->startSession(Media::MediaTime::zero());

    const double cpuStart = cpuSeconds(RUSAGE_SELF);
    const auto wallStart = Clock::now();
    int audioBuffer = 0;
    for (int frame = 0; frame < seconds * 30; ++frame) {
        const std::int64_t time = frame * 1'000'000'000LL / 30;
        const auto& unit = stream.accessUnits[frame % stream.accessUnits.size()];
        waitUntilReady(*video);
        video->append(
            makeBuffer(unit, stream.format, 1, unit.size(), Media::MediaTime::make(1, 30), time, frame % 30 != 0));
        for (; audioBuffer * 20'000'000LL <= time; ++audioBuffer) {
            waitUntilReady(*audio);
            audio->append(makeBuffer(tone(960, audioBuffer * 960), audioFormat, 960, 4,
                                     Media::MediaTime::make(1, 48000), audioBuffer * 20'000'000LL, std::nullopt));
        }
    }
    const double appendSeconds = since(wallStart);
    video->markAsFinished();
    audio->markAsFinished();
    writer->endSession(Media::MediaTime::make(seconds, 1));
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    const auto finishStart = Clock::now();
    writer->finishWriting([&] {
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    });
    {
        std::unique_lock lock(mutex);
        finished.wait(lock, [&] { return done; });
    }
    const double finishSeconds = since(finishStart);
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpuStart;
    const double total = since(wallStart);
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::printf("writer, %s: %d s of 4K30 HEVC (%.1f Mb/s) + 48 kHz stereo AAC\n",
                syncFragments ? "each fragment synced" : "no syncing", seconds, stream.bytesPerSecond * 8 / 1e6);
    std::printf("  CPU per second of media:  %.1f ms (%.2f %% of one core)\n", cpu / seconds * 1000,
                cpu / seconds * 100);
    std::printf("  appending (fragmented):   %.2f s wall, %.0f MB/s, %.1fx real time\n", appendSeconds,
                megabytes / appendSeconds, seconds / appendSeconds);
    std::printf("  finishing (regular movie rewrite): %.2f s wall\n", finishSeconds);
    std::printf("  whole recording:          %.2f s wall, %.0f MB/s, status %d\n", total, megabytes / total,
                static_cast<int>(writer->status()));
    printSyncTimes(syncTimes);
}

void copyWithFfmpeg(const std::filesystem::path& source, const std::filesystem::path& copy) {
    const double cpuStart = cpuSeconds(RUSAGE_CHILDREN);
    const auto wallStart = Clock::now();
    const std::string command =
        "ffmpeg -v error -y -i '" + source.string() + "' -map 0 -c copy '" + copy.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::printf("ffmpeg -c copy failed\n");
        return;
    }
    const double wall = since(wallStart);
    const double megabytes = static_cast<double>(std::filesystem::file_size(copy)) / 1e6;
    std::printf("ffmpeg -c copy of the same movie: %.2f s wall, %.0f MB/s, CPU %.2f s\n", wall, megabytes / wall,
                cpuSeconds(RUSAGE_CHILDREN) - cpuStart);
}

void encodeAac(int seconds) {
    UmberlinPlatform::MovieWriterError error;
    auto encoder =
        UmberlinPlatform::AacTrackEncoder::open(stereo48k()->streamBasicDescription(), {48000, 2, 192000}, error);
    std::size_t bytes = 0;
    const auto sink = [&](AVPacket*) { return 0; };
    std::vector<std::vector<std::uint8_t>> buffers;
    for (int index = 0; index < 50; ++index) {
        buffers.push_back(tone(960, index * 960));
    }
    const double cpuStart = cpuSeconds(RUSAGE_THREAD);
    for (int buffer = 0; buffer < seconds * 50; ++buffer) {
        encoder->encode(buffers[buffer % 50], buffer / 50.0, sink, error);
        bytes += buffers[buffer % 50].size();
    }
    encoder->finish(seconds, sink, error);
    const double cpu = cpuSeconds(RUSAGE_THREAD) - cpuStart;
    std::printf("AAC 192 kb/s, 48 kHz stereo: %.2f ms CPU per second of audio (%.2f %% of one core), %d s encoded\n",
                cpu / seconds * 1000, cpu / seconds * 100, seconds);
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const std::filesystem::path movie = folder / "recording-benchmark.mov";
    const std::filesystem::path copy = folder / "recording-benchmark-copy.mov";
    std::printf("encoding one second of 4K30 HEVC for the stream...\n");
    const Stream stream = encodeOneSecond();
    recordWithWriter(stream, movie, seconds, false);
    recordWithWriter(stream, movie, seconds, true);
    copyWithFfmpeg(movie, copy);
    encodeAac(60);
    std::filesystem::remove(movie);
    std::filesystem::remove(copy);
    return 0;
}
