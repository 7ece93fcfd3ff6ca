// Preview latency: from the moment the receiver hands over a video frame (on its queue, in
// the same work item as the socket read that completed the packet) to the moment the preview
// has drawn that frame, with the simulator streaming over loopback. Next to it, libavcodec's
// own decode time for the same frames on the same decoder settings, decoded again afterwards:
// what the preview adds beyond decoding is the difference. The simulator plays a pre-encoded
// clip (encoded once and cached), so that 4K at 30 fps measures the preview and not the encoder.
//
// A frame counts as held behind another when the packet of the frame after it had already
// arrived before it was drawn: the preview was a whole frame late, whether the decoder kept it
// back for a later packet or it waited in a queue.
//
// Run under an X server for the OpenGL path:
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/Benchmarks/PreviewLatencyBenchmark [SECONDS [WIDTHxHEIGHT] [scopes]]
// (QT_QPA_PLATFORM=offscreen measures the CPU path instead.) A size picks one of the streams.
// With "scopes", each stream runs twice: without the scopes, then with the histogram (in R, G
// and B) and the waveform shown over the picture, and how many readings they showed.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Monitor/NetworkPreviewView.hpp"
#include "Monitor/VideoScopePanel.hpp"
#include "Reception/NetworkCameraReceiver.hpp"
#include "Support/SimulatorProcess.hpp"
#include "Video/HevcDecoder.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

struct Percentiles {
    double median = 0;
    double p95 = 0;
    double max = 0;
};

Percentiles percentiles(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const auto at = [&](double fraction) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
    };
    return {at(0.5), at(0.95), values.back()};
}

struct Stream {
    const char* size;
    int bitDepth;
    const char* bitRate;
};

struct Run {
    std::mutex mutex;
    std::map<std::int64_t, Clock::time_point> arrivals;            // by presentation time
    std::vector<std::pair<Media::SampleBufferRef, bool>> samples;  // and whether it was measured
    std::vector<double> latencies;
    std::size_t held = 0;
    bool measuring = false;
};

void measure(const Stream& stream, int seconds, bool openGl, bool withScopes) {
    SimulatorTests::SimulatorProcess phone({"--no-advertise", "--address", "127.0.0.1", "--port", "0", "--size",
                                            stream.size, "--bit-depth", std::to_string(stream.bitDepth), "--bit-rate",
                                            stream.bitRate, "--pre-encoded", "5", "--no-audio"});
    // The first run with these settings encodes the clip, a minute or more at 4K.
    phone.waitForLine("listening on ", std::chrono::minutes(10));
    const int port = phone.waitForPort();

    Run run;
    auto renderer = Quillfen::Monitor::NetworkVideoRenderer::make();
    Quillfen::Monitor::NetworkPreviewView view(renderer, nullptr,
                                               openGl ? Quillfen::Monitor::NetworkPreviewView::Drawing::openGl
                                                      : Quillfen::Monitor::NetworkPreviewView::Drawing::cpu);
    view.resize(1280, 720);
    view.show();
    int scopeReadings = 0;
    Quillfen::VideoScopePanel scopes(view, &view);
    if (withScopes) {
        scopes.setGeometry(view.rect());
        scopes.setVideoAspectRatio(16.0 / 9.0);
        scopes.setRequest({.histogram = true, .colorHistogram = true, .waveform = true});
        scopes.raise();
        QObject::connect(&scopes, &Quillfen::VideoScopePanel::readingsShown, [&] {
            std::lock_guard lock(run.mutex);
            if (run.measuring) ++scopeReadings;
        });
    }
    QObject::connect(&view, &Quillfen::Monitor::NetworkPreviewView::frameDrawn, [&](qint64 time) {
        const auto now = Clock::now();
        std::lock_guard lock(run.mutex);
        const auto arrival = run.arrivals.find(time);
        if (run.measuring && arrival != run.arrivals.end()) {
            run.latencies.push_back(Milliseconds(now - arrival->second).count());
            const auto next = std::next(arrival);
            if (next != run.arrivals.end() && next->second < now) ++run.held;
        }
    });

    auto receiver = Quillfen::NetworkCameraReceiver::make();
    receiver->onFormatChanged = [&] { renderer->flush(); };
    receiver->onSampleBuffer = [&](const Media::SampleBufferRef& sample) {
        const auto now = Clock::now();
        {
            std::lock_guard lock(run.mutex);
            run.arrivals[sample->presentationTimeStamp().value] = now;
            run.samples.emplace_back(sample, run.measuring);
        }
        renderer->enqueue(sample);
    };
    receiver->connect({.id = "camera:Bench.local:lo",
                       .claimID = "camera:Bench.local",
                       .name = "Bench",
                       .endpoint = UmberlinPlatform::HostPortEndpoint{"127.0.0.1", static_cast<std::uint16_t>(port)},
                       .interface = {},
                       .transport = Quillfen::NetworkCameraService::Transport::wireless});

    const auto runFor = [](int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    };
    runFor(2000);  // connect, first key frame, decoder and shader warm
    {
        std::lock_guard lock(run.mutex);
        run.measuring = true;
    }
    const auto skippedBefore = renderer->frameMailbox().skippedFrames();
    runFor(seconds * 1000);
    {
        std::lock_guard lock(run.mutex);
        run.measuring = false;
    }
    const auto skipped = renderer->frameMailbox().skippedFrames() - skippedBefore;
    receiver->disconnect();
    runFor(200);
    phone.stop();

    // The same frames through libavcodec alone: the whole stream again from its first key
    // frame, timing the frames that were measured.
    std::vector<double> decodeTimes;
    std::size_t measuredFrames = 0;
    const auto decoder = run.samples.empty()
                             ? nullptr
                             : Video::HevcDecoder::open(
                                   run.samples.front().first->videoFormatDescription()->decoderConfigurationRecord());
    if (decoder) {
        std::vector<Video::DecodedVideoFrameRef> pictures;
        for (const auto& [sample, measured] : run.samples) {
            const auto start = Clock::now();
            decoder->decode(sample->dataBuffer()->bytes(), 0, pictures);
            if (measured) decodeTimes.push_back(Milliseconds(Clock::now() - start).count());
            measuredFrames += measured ? 1 : 0;
            pictures.clear();
        }
    }

    const Percentiles latency = percentiles(run.latencies);
    const Percentiles decoding = percentiles(decodeTimes);
    std::printf(
        "%-9s %2d-bit %-6s received %4zu drawn %4zu skipped %3llu held %3zu | latency median %6.1f p95 %6.1f max %6.1f "
        "ms | decode median %6.1f p95 %6.1f max %6.1f ms | overhead median %5.1f ms",
        stream.size, stream.bitDepth, view.drawsWithOpenGl() ? "OpenGL" : "CPU", measuredFrames, run.latencies.size(),
        static_cast<unsigned long long>(skipped), run.held, latency.median, latency.p95, latency.max, decoding.median,
        decoding.p95, decoding.max, latency.median - decoding.median);
    if (withScopes) std::printf(" | scopes %d readings, %.1f a second", scopeReadings, double(scopeReadings) / seconds);
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    bool comparesScopes = false;
    std::string only;  // one size ("3840x2160"), or every stream
    for (int index = 2; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == "scopes")
            comparesScopes = true;
        else
            only = argument;
    }
    QApplication application(argc, argv);
    // Other work on the machine shows in every figure: print the load the run started with.
    std::string load;
    std::getline(std::ifstream("/proc/loadavg"), load);
    std::printf("load average at start: %s\n", load.c_str());
    const bool openGl = QGuiApplication::platformName() != "offscreen";
    // Bit rates as a phone streams them.
    for (const Stream& stream : {Stream{"1920x1080", 8, "8000000"}, Stream{"1920x1080", 10, "8000000"},
                                 Stream{"3840x2160", 8, "20000000"}, Stream{"3840x2160", 10, "20000000"}}) {
        if (!only.empty() && only != stream.size) continue;
        measure(stream, seconds, openGl, false);
        if (comparesScopes) measure(stream, seconds, openGl, true);
    }
    return 0;
}
