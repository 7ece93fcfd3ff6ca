#pragma once
// The simulator's picture through a real renderer and a preview view of a chosen drawing,
// waited for on the main thread, and read back as the user would see it.

#include <QColor>
#include <QImage>
#include <QTest>

#include <memory>

#include "Monitor/NetworkPreviewView.hpp"
#include "Support/SimulatorVideoSamples.hpp"

namespace Quillfen::Monitor::Testing {

struct ShownPicture {
    ShownPicture(NetworkPreviewView::Drawing drawing, const SimulatorTests::SimulatorVideoSettings& settings,
                 QSize viewSize)
        : view(renderer, nullptr, drawing) {
        view.resize(viewSize);
        view.show();
        const auto video = SimulatorTests::encodeSimulatorVideo(settings);
        renderer->enqueue(video.samples.front());
    }

    // A decoded picture handed straight to the view, drawn at its own size.
    ShownPicture(NetworkPreviewView::Drawing drawing, const Video::DecodedVideoFrameRef& frame)
        : view(renderer, nullptr, drawing) {
        view.resize(frame->width(), frame->height());
        view.show();
        renderer->frameMailbox().deliver(frame);
    }

    // True once the picture was drawn.
    bool waitForPicture() {
        return QTest::qWaitFor([this] { return drawn; }, 10'000);
    }

    QImage grab() {
        view.repaint();
        return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    std::shared_ptr<NetworkVideoRenderer> renderer = NetworkVideoRenderer::make();
    NetworkPreviewView view;
    bool drawn = false;
    QMetaObject::Connection drawing =
        QObject::connect(&view, &NetworkPreviewView::frameDrawn, [this] { drawn = true; });
};

inline bool isRed(QColor color) { return color.red() > 180 && color.green() < 80 && color.blue() < 80; }
inline bool isBlue(QColor color) { return color.blue() > 180 && color.red() < 80 && color.green() < 100; }
inline bool isBlack(QColor color) { return color.red() < 20 && color.green() < 20 && color.blue() < 20; }

}  // namespace Quillfen::Monitor::Testing
