// The scopes' cost on their own thread: one measurement of the simulator's picture, decoded as
// the preview decodes it, at 1080p and 2160p and 8 and 10 bits, for each scope and all of them;
// and drawing the plates on the main thread from one set of readings. Each figure is the
// median of many runs.
//
//   build/Benchmarks/VideoScopeBenchmark [RUNS]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "Monitor/VideoScopeMeasurement.hpp"
#include "Monitor/VideoScopePlots.hpp"
#include "Support/SimulatorVideoSamples.hpp"
#include "Video/HevcDecoder.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
using Quillfen::Monitor::VideoScopeRequest;

double medianMilliseconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        times.push_back(Milliseconds(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

Video::DecodedVideoFrameRef decodedPicture(int width, int height, int bitDepth) {
    const auto video =
        SimulatorTests::encodeSimulatorVideo({.width = width, .height = height, .bitDepth = bitDepth, .frameCount = 1});
    const auto decoder = Video::HevcDecoder::open(video.format->decoderConfigurationRecord());
    std::vector<Video::DecodedVideoFrameRef> pictures;
    decoder->decode(video.samples.front()->dataBuffer()->bytes(), 0, pictures);
    return pictures.empty() ? nullptr : pictures.front();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    QGuiApplication application(argc, argv);  // fonts for the plates
    std::string load;
    std::getline(std::ifstream("/proc/loadavg"), load);
    std::printf("load average at start: %s\n", load.c_str());

    const std::vector<std::pair<const char*, VideoScopeRequest>> requests{
        {"histogram", {.histogram = true}},
        {"histogram+RGB", {.histogram = true, .colorHistogram = true}},
        {"waveform", {.waveform = true}},
        {"all", {.histogram = true, .colorHistogram = true, .waveform = true}},
    };
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
        for (int bitDepth : {8, 10}) {
            const auto picture = decodedPicture(width, height, bitDepth);
            if (!picture) {
                std::printf("%dx%d %d-bit: no picture decoded\n", width, height, bitDepth);
                continue;
            }
            std::printf("%4dx%-4d %2d-bit (every %d. sample):", width, height, bitDepth,
                        Quillfen::Monitor::videoScopeSampleStep(width, height));
            for (const auto& [name, request] : requests) {
                const double time =
                    medianMilliseconds(runs, [&] { Quillfen::Monitor::measureVideoScopes(*picture, request); });
                std::printf("  %s %.2f ms", name, time);
            }
            std::printf("\n");
        }
    }

    const auto picture = decodedPicture(1920, 1080, 8);
    const auto readings = Quillfen::Monitor::measureVideoScopes(*picture, requests.back().second);
    const QSizeF plate = Quillfen::videoScopePlateSize();
    QImage canvas(plate.toSize() * 2, QImage::Format_ARGB32_Premultiplied);
    const double drawing = medianMilliseconds(runs, [&] {
        QPainter painter(&canvas);
        Quillfen::drawVideoScope(painter, QRectF(QPointF(), plate), Quillfen::VideoScope::histogram, readings);
        Quillfen::drawVideoScope(painter, QRectF(QPointF(0, plate.height()), plate), Quillfen::VideoScope::waveform,
                                 readings);
    });
    std::printf("drawing both plates on the main thread: %.2f ms\n", drawing);
    return 0;
}
