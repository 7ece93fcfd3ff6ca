#include "Monitor/NetworkPreviewView.hpp"

#include <QGuiApplication>
#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <algorithm>
#include <cmath>
#include <string>

#include "Log/DiagnosticLog.hpp"
#include "Monitor/Assists/FalseColorLegend.hpp"
#include "Monitor/Assists/ZebraPattern.hpp"
#include "Monitor/PreviewOpenGlCanvas.hpp"
#include "Monitor/PreviewRasterCanvas.hpp"

namespace Quillfen::Monitor {
namespace {

enum class OpenGlSupport { none, software, hardware };

// Mesa's software rasterisers name themselves in the renderer string.
bool isSoftwareRenderer(QByteArray renderer) {
    renderer = renderer.toLower();
    return renderer.contains("llvmpipe") || renderer.contains("softpipe") || renderer.contains("software rasterizer") ||
           renderer.contains("swrast");
}

// Qt's offscreen platform has no OpenGL widgets (they crash there); elsewhere OpenGL is usable
// when a context can be made current, which the first view finds out for all.
OpenGlSupport openGlSupport() {
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal" || platform == "vnc") return OpenGlSupport::none;
    static const OpenGlSupport support = [] {
        QOpenGLContext context;
        if (!context.create()) return OpenGlSupport::none;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!surface.isValid() || !context.makeCurrent(&surface)) return OpenGlSupport::none;
        const QByteArray renderer(reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER)));
        context.doneCurrent();
        if (!isSoftwareRenderer(renderer)) return OpenGlSupport::hardware;
        UmberlinPlatform::logLine("[Umberlin preview] OpenGL draws in software here (" + renderer.toStdString() +
                                  "): the preview draws through the CPU, which costs less.");
        return OpenGlSupport::software;
    }();
    return support;
}

bool choosesOpenGl(NetworkPreviewView::Drawing drawing) {
    using Drawing = NetworkPreviewView::Drawing;
    if (drawing == Drawing::cpu) return false;
    const OpenGlSupport support = openGlSupport();
    return drawing == Drawing::openGl ? support != OpenGlSupport::none : support == OpenGlSupport::hardware;
}

}  // namespace

NetworkPreviewView::NetworkPreviewView(std::shared_ptr<NetworkVideoRenderer> renderer, QWidget* parent, Drawing drawing)
    : QWidget(parent), renderer_(std::move(renderer)), drawsWithOpenGl_(choosesOpenGl(drawing)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (drawsWithOpenGl_) {
        canvas_ = new PreviewOpenGlCanvas(*this);
    } else {
        canvas_ = new PreviewRasterCanvas(*this);
    }
    falseColorLegend_ = new FalseColorLegend(this);
    falseColorLegend_->hide();
    assistClock_.start();
    stripeDrift_.setInterval(100);
    connect(&stripeDrift_, &QTimer::timeout, canvas_, qOverload<>(&QWidget::update));

    // The mailbox calls the waker on the decoding thread; it only posts the collection here.
    renderer_->frameMailbox().setWaker(this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { collectFrame(); }, Qt::QueuedConnection);
    });
    collectFrame();  // a picture delivered before this view existed
}

NetworkPreviewView::~NetworkPreviewView() {
    Video::VideoFrameMailbox& mailbox = renderer_->frameMailbox();
    mailbox.removeWaker(this);
    const std::int64_t received = renderer_->receivedFrames();
    if (received == 0) return;
    const auto decoded = static_cast<std::int64_t>(mailbox.deliveredFrames());
    UmberlinPlatform::logLine("[Umberlin stream] Preview frames: " + std::to_string(received) + " received, " +
                              std::to_string(decoded) + " decoded, " + std::to_string(framesDrawn_) + " drawn, " +
                              std::to_string(received - framesDrawn_) + " skipped (" +
                              std::to_string(received - decoded) + " not decoded, " +
                              std::to_string(decoded - framesDrawn_) + " decoded but not drawn).");
}

void NetworkPreviewView::collectFrame() {
    auto content = renderer_->frameMailbox().collect();
    if (!content) return;
    const bool resized =
        !frame_ || !*content || frame_->width() != (*content)->width() || frame_->height() != (*content)->height();
    frame_ = std::move(*content);
    frameWasDrawn_ = false;
    if (resized) placeFalseColorLegend();
    canvas_->update();
    if (frame_ && frame_->decodedBy() != decodingBackend_) {
        decodingBackend_ = frame_->decodedBy();
        emit decodingBackendChanged(*decodingBackend_);
    }
}

void NetworkPreviewView::didDraw() {
    if (!frame_ || frameWasDrawn_) return;
    frameWasDrawn_ = true;
    ++framesDrawn_;
    emit frameDrawn(frame_->presentationTimeNanoseconds());
}

PreviewLayout NetworkPreviewView::layoutFor(QSizeF size) const {
    return layoutPreview(size, frame_ ? QSize(frame_->width(), frame_->height()) : QSize(), orientation_);
}

void NetworkPreviewView::setRotation(MonitorRotation rotation) {
    auto orientation = orientation_;
    orientation.rotation = rotation;
    changeOrientation(orientation);
}

void NetworkPreviewView::setHorizontallyMirrored(bool mirrored) {
    auto orientation = orientation_;
    orientation.isHorizontallyMirrored = mirrored;
    changeOrientation(orientation);
}

void NetworkPreviewView::setVerticallyMirrored(bool mirrored) {
    auto orientation = orientation_;
    orientation.isVerticallyMirrored = mirrored;
    changeOrientation(orientation);
}

void NetworkPreviewView::changeOrientation(const PreviewOrientation& orientation) {
    orientation_ = orientation;
    placeFalseColorLegend();
    canvas_->update();
}

void NetworkPreviewView::setPictureAssists(const PictureAssistSettings& assists) {
    assists_ = assists;
    falseColorLegend_->setVisible(assists.showsFalseColor);
    if (assists.showsZebras && !heldAssistTime_) {
        stripeDrift_.start();
    } else {
        stripeDrift_.stop();
    }
    canvas_->update();
}

double NetworkPreviewView::assistSeconds() const {
    if (heldAssistTime_) return *heldAssistTime_;
    // The drift repeats every stripe period; keeping the time within one keeps the shader's
    // single-precision arithmetic exact after days of running.
    const double cycle = 1 / zebraPeriodsPerSecond;
    const double seconds = assistClock_.elapsed() / 1000.0;
    return seconds - cycle * std::floor(seconds / cycle);
}

void NetworkPreviewView::holdAssistTime(std::optional<double> held) {
    heldAssistTime_ = held;
    setPictureAssists(assists_);
}

void NetworkPreviewView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    canvas_->setGeometry(rect());
    placeFalseColorLegend();
}

// The legend keeps to the top of the picture, between the battery in its leading corner and the
// connection badge in its trailing one, narrowed to fit there. A picture too narrow for that (a
// phone held upright) has it under the battery instead, as wide as the picture allows.
void NetworkPreviewView::placeFalseColorLegend() {
    constexpr int cornerReserve = 165;  // the battery or the badge, with their insets
    constexpr int edgeInset = 18;
    constexpr int topInset = 12;
    constexpr int belowBattery = 72;
    const PreviewLayout layout = layoutFor(size());
    const QSizeF shown = layout.pictureSize;
    const QRect picture =
        shown.isEmpty() ? rect()
                        : layout.layerToView.mapRect(QRectF(QPointF(-shown.width() / 2, -shown.height() / 2), shown))
                              .toAlignedRect();
    const QSize natural = falseColorLegend_->sizeHint();
    const int narrowest = falseColorLegend_->minimumSizeHint().width();
    const int between = picture.width() - 2 * cornerReserve;
    const bool fitsBetween = between >= narrowest;
    const int width = std::clamp(fitsBetween ? between : picture.width() - 2 * edgeInset, narrowest, natural.width());
    falseColorLegend_->setGeometry(picture.center().x() - width / 2,
                                   picture.top() + (fitsBetween ? topInset : belowBattery), width, natural.height());
}

}  // namespace Quillfen::Monitor
