// 4K decoding, stage by stage: where a 3840x2160 frame's time goes between the packet and the
// screen. The clip is the simulator's test picture, encoded once in memory (no network, no
// simulator process), at a phone's bit rate. For each bit depth it prints:
//   decode  - HevcDecoder::decode per access unit (the preview's settings), wall and CPU;
//   upload  - the three planes into OpenGL textures, allocating them every frame
//             (glTexImage2D) and into textures of the same size (glTexSubImage2D), with glFinish;
//   screen  - a decoded picture delivered to the renderer's mailbox until the real
//             NetworkPreviewView reports it drawn: upload, colour conversion, drawing and the
//             window's composition together, for a 1280x720 and a 1920x1080 view, through
//             OpenGL (where there is an X server) and through the CPU (libswscale, QPainter).
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/Benchmarks/FourKDecodingBenchmark [FRAMES]
// (QT_QPA_PLATFORM=offscreen measures the CPU drawing path and skips the upload.)
#include <QApplication>
#include <QElapsedTimer>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Monitor/NetworkPreviewView.hpp"
#include "Support/SimulatorVideoSamples.hpp"
#include "Video/HevcDecoder.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int keptPictures = 6;  // distinct pictures cycled through the screen stages

double processCpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

struct Figures {
    std::vector<double> wall;
    double cpuPerFrame = 0;
};

void print(const char* stage, Figures figures) {
    auto& values = figures.wall;
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    const auto at = [&](double fraction) {
        return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
    };
    std::printf("  %-34s median %6.1f ms  p95 %6.1f ms  max %6.1f ms  CPU %6.1f ms/frame\n", stage, at(0.5), at(0.95),
                values.back(), figures.cpuPerFrame);
    std::fflush(stdout);
}

template <typename Work> Figures timeEach(int count, Work work) {
    Figures figures;
    const double cpuBefore = processCpuMilliseconds();
    for (int index = 0; index < count; ++index) {
        const auto start = Clock::now();
        work(index);
        figures.wall.push_back(Milliseconds(Clock::now() - start).count());
    }
    figures.cpuPerFrame = (processCpuMilliseconds() - cpuBefore) / std::max(1, count);
    return figures;
}

// The planes of each picture into three textures, as the OpenGL canvas does, either
// allocating them anew or refilling them.
void measureUpload(const std::vector<Video::DecodedVideoFrameRef>& pictures, int frames) {
    QOpenGLContext context;
    QOffscreenSurface surface;
    if (!context.create()) return;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) return;
    QOpenGLFunctions& gl = *context.functions();
    std::array<GLuint, 3> textures{};
    gl.glGenTextures(3, textures.data());
    const auto upload = [&](const Video::DecodedVideoFrame& frame, bool allocate) {
        const int bytes = frame.bytesPerSample();
        gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (int plane = 0; plane < 3; ++plane) {
            gl.glBindTexture(GL_TEXTURE_2D, textures[plane]);
            gl.glPixelStorei(0x0CF2 /* GL_UNPACK_ROW_LENGTH */, frame.planeStride(plane) / bytes);
            const GLenum type = bytes == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE;
            if (allocate) {
                gl.glTexImage2D(GL_TEXTURE_2D, 0, bytes == 2 ? 0x822A : 0x8229, frame.planeWidth(plane),
                                frame.planeHeight(plane), 0, GL_RED, type, frame.planeData(plane));
            } else {
                gl.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frame.planeWidth(plane), frame.planeHeight(plane), GL_RED,
                                   type, frame.planeData(plane));
            }
        }
        gl.glFinish();
    };
    print("upload, textures allocated anew",
          timeEach(frames, [&](int index) { upload(*pictures[index % pictures.size()], true); }));
    print("upload, textures refilled",
          timeEach(frames, [&](int index) { upload(*pictures[index % pictures.size()], false); }));
    gl.glDeleteTextures(3, textures.data());
    context.doneCurrent();
}

void measureScreen(const std::vector<Video::DecodedVideoFrameRef>& pictures, int frames, QSize viewSize,
                   Quillfen::Monitor::NetworkPreviewView::Drawing drawing) {
    auto renderer = Quillfen::Monitor::NetworkVideoRenderer::make();
    Quillfen::Monitor::NetworkPreviewView view(renderer, nullptr, drawing);
    view.resize(viewSize);
    view.show();
    qint64 drawn = -1;
    QObject::connect(&view, &Quillfen::Monitor::NetworkPreviewView::frameDrawn, [&](qint64 time) { drawn = time; });
    const auto showAndWait = [&](int index) {
        const auto& picture = pictures[index % pictures.size()];
        renderer->frameMailbox().deliver(picture);
        QElapsedTimer waited;
        waited.start();
        while (drawn != picture->presentationTimeNanoseconds() && waited.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
    };
    for (int index = 0; index < keptPictures; ++index) showAndWait(index);  // shaders and textures warm
    const std::string stage = std::string("screen, ") + (view.drawsWithOpenGl() ? "OpenGL " : "CPU ") +
                              std::to_string(viewSize.width()) + "x" + std::to_string(viewSize.height());
    print(stage.c_str(), timeEach(frames, showAndWait));
}

void measure(int bitDepth, int frames, bool openGl) {
    const auto video = SimulatorTests::encodeSimulatorVideo(
        {.width = 3840, .height = 2160, .bitDepth = bitDepth, .frameCount = frames, .bitRate = 40'000'000});
    std::size_t bytes = 0;
    for (const auto& unit : video.accessUnits) bytes += unit.size();
    std::printf("3840x2160 %d-bit, %d frames, %.1f Mb/s\n", bitDepth, frames, bytes * 8.0 * 30 / frames / 1e6);

    const auto decoder = Video::HevcDecoder::open(video.format->decoderConfigurationRecord());
    if (!decoder) return;
    std::vector<Video::DecodedVideoFrameRef> kept;
    std::vector<Video::DecodedVideoFrameRef> pictures;
    print("decode", timeEach(frames, [&](int index) {
              pictures.clear();
              decoder->decode(video.accessUnits[index], index * 33'333'333LL + 1, pictures);
              for (auto& picture : pictures) {
                  if (static_cast<int>(kept.size()) < keptPictures) kept.push_back(std::move(picture));
              }
          }));
    if (kept.empty()) return;
    if (openGl) measureUpload(kept, frames);
    using Drawing = Quillfen::Monitor::NetworkPreviewView::Drawing;
    for (const Drawing drawing : {Drawing::openGl, Drawing::cpu}) {
        if (drawing == Drawing::openGl && !openGl) continue;
        for (const QSize size : {QSize(1280, 720), QSize(1920, 1080)}) measureScreen(kept, frames, size, drawing);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(keptPictures, std::atoi(argv[1])) : 60;
    QApplication application(argc, argv);
    std::string load;
    std::getline(std::ifstream("/proc/loadavg"), load);
    std::printf("load average at start: %s\n", load.c_str());
    const bool openGl = QGuiApplication::platformName() != "offscreen";
    for (const int bitDepth : {8, 10}) measure(bitDepth, frames, openGl);
    return 0;
}
