#pragma once
// The scopes over the picture: the histogram and the waveform of the preview's pictures, on
// translucent plates stacked in the picture's top trailing corner, under the row of the battery,
// the false-colour legend and the connection badge. They stay clear of the level in the middle
// while it is shown (beside it or above it) and of the meter in the bottom trailing corner,
// shrinking where the picture is too small for them; a picture narrower than its area (a phone held
// upright) has them in the black bar beside it when they are larger there. Each picture the preview
// has drawn is offered to the scope worker, which takes what it has time for; the plates show the
// newest readings. Nothing is measured while no scope is shown.

#include <QWidget>

#include <memory>
#include <optional>

#include "Monitor/VideoScopeMeasurement.hpp"

namespace Quillfen {

namespace Monitor {
class NetworkPreviewView;
class VideoScopeWorker;
}  // namespace Monitor

class VideoScopePanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int edgeInset = 18;
    static constexpr int topInset = 50;  // clear of the battery, the legend and the badge

    explicit VideoScopePanel(Monitor::NetworkPreviewView& preview, QWidget* parent = nullptr);
    ~VideoScopePanel() override;

    // The scopes to show; none hides the panel.
    void setRequest(const Monitor::VideoScopeRequest& request);
    // Width over height of the picture as shown, to find its corner; none: the whole area.
    void setVideoAspectRatio(std::optional<double> aspectRatio);
    // Whether the level is shown in the middle of the picture, for the plates to keep clear of.
    void setLevelShown(bool shown);

    // Where the plates are drawn, in the panel's coordinates (histogram first).
    QRect platesRect() const;

signals:
    // New readings arrived and will be drawn.
    void readingsShown();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Placement {
        QRectF rect;
        double scale = 1;
    };
    Placement placement() const;
    void showReadings(const Monitor::VideoScopeReadings& readings);

    Monitor::NetworkPreviewView& preview_;
    std::unique_ptr<Monitor::VideoScopeWorker> worker_;
    Monitor::VideoScopeRequest request_;
    std::optional<double> aspectRatio_;
    bool levelShown_ = false;
    Monitor::VideoScopeReadings readings_;
};

}  // namespace Quillfen
