// Real media for the writer's tests (the simulator's picture in HEVC, PCM tones) and a writer
// driven the way the recorder drives it.
#pragma once

#include "MovieWriter/FfmpegMovieWriter.hpp"
#include "MovieWriter/MovieWriter.hpp"
#include "Support/SimulatorVideoSamples.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

namespace MovieWriterTests {

using EncodedVideo = SimulatorTests::SimulatorVideo;
using SimulatorTests::encodeSimulatorVideo;

std::shared_ptr<const Media::AudioFormatDescription> pcmFormat(double sampleRate, int channels);

// Interleaved 16-bit PCM, `frames` frames starting at `startSeconds`: a 1 kHz tone at half scale
// in every channel when `tone`, silence otherwise.
Media::SampleBufferRef pcmBuffer(const std::shared_ptr<const Media::AudioFormatDescription>& format,
                                 double startSeconds, int frames, bool tone);

// `seconds` of PCM in 20 ms buffers from `startSeconds`.
std::vector<Media::SampleBufferRef> pcmBuffers(const std::shared_ptr<const Media::AudioFormatDescription>& format,
                                               double startSeconds, double seconds, bool tone = true);

struct OpenWriter {
    std::shared_ptr<UmberlinPlatform::MovieWriter> writer;
    std::shared_ptr<UmberlinPlatform::MovieWriterInput> video;
    std::shared_ptr<UmberlinPlatform::MovieWriterInput> audio;
};

// A started writer with a session at zero; the test fails if it cannot start.
OpenWriter startWriter(const std::filesystem::path& path, const EncodedVideo& video,
                       const std::shared_ptr<const Media::AudioFormatDescription>& audioFormat,
                       UmberlinPlatform::AffineTransform transform = {},
                       UmberlinPlatform::FfmpegMovieWriterOptions options = {});

// Appends video and audio in time order, waiting (bounded) while an input is not ready.
void appendInTimeOrder(OpenWriter& writer, const std::vector<Media::SampleBufferRef>& video,
                       const std::vector<Media::SampleBufferRef>& audio);

// Marks the inputs finished, ends the session at `end` and waits (bounded) for the writer's
// completion; true when it came.
bool finishWriter(OpenWriter& writer, const Media::MediaTime& end,
                  std::chrono::seconds timeout = std::chrono::seconds(20));

// A fresh folder under the temporary directory, removed by the destructor.
struct ScratchFolder {
    ScratchFolder();
    ~ScratchFolder();
    std::filesystem::path path;
};

}  // namespace MovieWriterTests
