#pragma once
// NetworkPreviewView: shows the renderer's pictures, aspect-fitted on black, turned by the
// phone's rotation and mirrored by the user's choice, all at once and without animation.
// It draws through OpenGL (the planes uploaded as textures, converted in a shader) where the
// graphics hardware draws, and through the CPU (libswscale) where OpenGL cannot be had (Qt's
// offscreen platform, a remote session without it) or is rasterised in software (Mesa's
// llvmpipe, as in a virtual machine or on Xvfb): there the CPU path costs a fraction.
// Collects pictures from the renderer's frame mailbox when woken; a new view of the same
// renderer takes the pictures over from the old one. When it goes, it logs how many frames
// were received, decoded, drawn and skipped.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

#include "Monitor/Assists/PictureAssistSettings.hpp"
#include "Monitor/NetworkVideoRenderer.hpp"
#include "Monitor/PreviewLayout.hpp"
#include "Video/DecodedVideoFrame.hpp"

namespace Quillfen::Monitor {

class NetworkPreviewView : public QWidget {
    Q_OBJECT

public:
    // `automatic`: OpenGL where it draws in hardware, the CPU elsewhere; `openGl`: OpenGL
    // wherever a context can be made current, `cpu`: the CPU always (tests and measurements
    // that compare the two).
    enum class Drawing { automatic, openGl, cpu };

    explicit NetworkPreviewView(std::shared_ptr<NetworkVideoRenderer> renderer, QWidget* parent = nullptr,
                                Drawing drawing = Drawing::automatic);
    ~NetworkPreviewView() override;

    MonitorRotation rotation() const { return orientation_.rotation; }
    bool isHorizontallyMirrored() const { return orientation_.isHorizontallyMirrored; }
    bool isVerticallyMirrored() const { return orientation_.isVerticallyMirrored; }
    // Each takes effect at the next paint.
    void setRotation(MonitorRotation rotation);
    void setHorizontallyMirrored(bool mirrored);
    void setVerticallyMirrored(bool mirrored);

    bool drawsWithOpenGl() const { return drawsWithOpenGl_; }

    // The exposure and focus assists drawn over the picture (never into a recording).
    const PictureAssistSettings& pictureAssists() const { return assists_; }
    void setPictureAssists(const PictureAssistSettings& assists);
    // Where the zebra stripes are in their slow drift, in seconds; `held` keeps them still
    // there (for a still picture to compare), none lets them drift again.
    double assistSeconds() const;
    void holdAssistTime(std::optional<double> held);

    // For the drawing child: what to draw (no frame: black) and where.
    const Video::DecodedVideoFrameRef& frame() const { return frame_; }
    PreviewLayout layoutFor(QSizeF size) const;
    // The drawing child calls this after each paint.
    void didDraw();

signals:
    // Once per picture, after it was first drawn (for latency measurements).
    void frameDrawn(qint64 presentationTimeNanoseconds);
    // When a picture from another decoder than the last one's (software or hardware) comes in.
    void decodingBackendChanged(Video::DecodingBackend backend);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void collectFrame();
    void changeOrientation(const PreviewOrientation& orientation);
    void placeFalseColorLegend();

    std::shared_ptr<NetworkVideoRenderer> renderer_;
    PreviewOrientation orientation_;
    Video::DecodedVideoFrameRef frame_;
    bool frameWasDrawn_ = true;  // frameDrawn was sent for frame_
    std::int64_t framesDrawn_ = 0;
    std::optional<Video::DecodingBackend> decodingBackend_;  // of the last picture
    bool drawsWithOpenGl_;
    QWidget* canvas_ = nullptr;
    QWidget* falseColorLegend_ = nullptr;
    PictureAssistSettings assists_;
    QElapsedTimer assistClock_;
    std::optional<double> heldAssistTime_;
    QTimer stripeDrift_;  // repaints while the stripes drift, also when no new picture comes
};

}  // namespace Quillfen::Monitor
