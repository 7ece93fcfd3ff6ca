// What each picture assist (zebras, focus peaking, false colour, and all three) adds to the
// drawing of one frame, for a 1080p and a 2160p picture shown in a 1920x1080 preview: on the
// CPU path, the assists drawn into the converted image; on the OpenGL path, a frame drawn and
// read back (the read-back is the same with and without assists, so the difference is the
// shader's extra work).
//
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1080x24" build/Benchmarks/PictureAssistBenchmark [FRAMES]
#include <QApplication>
#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Monitor/Assists/PictureAssistRaster.hpp"
#include "Monitor/NetworkPreviewView.hpp"
#include "Monitor/SyntheticLumaFrames.hpp"

namespace {

using Quillfen::Monitor::PictureAssistSettings;

struct Assist {
    const char* name;
    std::function<void(PictureAssistSettings&)> turnOn;
};

const std::vector<Assist> assists{
    {"none", [](PictureAssistSettings&) {}},
    {"zebras", [](PictureAssistSettings& s) { s.showsZebras = s.showsSkinZebras = true; }},
    {"peaking", [](PictureAssistSettings& s) { s.showsFocusPeaking = true; }},
    {"false colour", [](PictureAssistSettings& s) { s.showsFalseColor = true; }},
    {"all three", [](PictureAssistSettings& s) { s.showsZebras = s.showsFocusPeaking = s.showsFalseColor = true; }},
};

// Milliseconds per call of `draw`, over `frames` calls after two to warm up.
double millisecondsPerFrame(int frames, const std::function<void()>& draw) {
    draw();
    draw();
    QElapsedTimer timer;
    timer.start();
    for (int frame = 0; frame < frames; ++frame) draw();
    return timer.nsecsElapsed() / 1e6 / frames;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 10;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QSize shown(1920, 1080);
    std::printf("%-6s %-13s %12s %12s\n", "picture", "assist", "CPU ms", "OpenGL ms");
    for (const QSize picture : {QSize(1920, 1080), QSize(3840, 2160)}) {
        // Detail everywhere: a diagonal ramp through every level with a fine checker over it.
        const auto frame =
            Quillfen::Monitor::Testing::makeLumaFrame(picture.width(), picture.height(), 8, false, [&](int x, int y) {
                return 16 + (x + y) * 219 / (picture.width() + picture.height()) + ((x / 8 + y / 8) % 2) * 20;
            });
        const auto renderer = Quillfen::Monitor::NetworkVideoRenderer::make();
        Quillfen::Monitor::NetworkPreviewView view(renderer);
        view.resize(shown);
        view.show();
        bool drawn = false;
        QObject::connect(&view, &Quillfen::Monitor::NetworkPreviewView::frameDrawn, [&] { drawn = true; });
        renderer->frameMailbox().deliver(frame);
        if (!QTest::qWaitFor([&] { return drawn; }, 10'000)) {
            std::fprintf(stderr, "The preview drew no picture.\n");
            return 1;
        }
        auto* canvas = view.findChild<QOpenGLWidget*>();

        double cpuNone = 0, openGlNone = 0;
        for (const auto& assist : assists) {
            PictureAssistSettings settings;
            assist.turnOn(settings);
            QImage image(shown, QImage::Format_RGB32);
            image.fill(Qt::black);
            const double cpu = millisecondsPerFrame(frames, [&] {
                QImage copy = image.copy();
                Quillfen::Monitor::drawPictureAssists(*frame, settings, 0.5, copy);
            });
            double openGl = 0;
            if (canvas) {
                view.setPictureAssists(settings);
                openGl = millisecondsPerFrame(frames, [&] { canvas->grabFramebuffer(); });
            }
            if (&assist == &assists.front()) {
                cpuNone = cpu;
                openGlNone = openGl;
                std::printf("%4dp   %-13s %9.2f    %9.2f   (the frame without assists)\n", picture.height(),
                            assist.name, cpu, openGl);
            } else {
                std::printf("%4dp   %-13s %+9.2f    %+9.2f\n", picture.height(), assist.name, cpu - cpuNone,
                            canvas ? openGl - openGlNone : 0.0);
            }
        }
        if (!canvas) std::printf("(no OpenGL here: the OpenGL column is empty)\n");
    }
    return 0;
}
