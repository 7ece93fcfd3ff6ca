#pragma once
// The scopes over the picture: the histogram and the waveform of the preview's pictures, on
// translucent plates stacked in the picture's top trailing corner, under the connection
// badge. Each picture the preview has drawn is offered to the scope worker, which takes what
// it has time for; the plates show the newest readings. Nothing is measured while no scope
// is shown.

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
    static constexpr int topInset = 50;  // clear of the connection badge

    explicit VideoScopePanel(Monitor::NetworkPreviewView& preview, QWidget* parent = nullptr);
    ~VideoScopePanel() override;

    // The scopes to show; none hides the panel.
    void setRequest(const Monitor::VideoScopeRequest& request);
    // Width over height of the picture as shown, to find its corner; none: the whole area.
    void setVideoAspectRatio(std::optional<double> aspectRatio);

    // Where the plates are drawn, in the panel's coordinates (histogram first).
    QRect platesRect() const;

signals:
    // New readings arrived and will be drawn.
    void readingsShown();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showReadings(const Monitor::VideoScopeReadings& readings);

    Monitor::NetworkPreviewView& preview_;
    std::unique_ptr<Monitor::VideoScopeWorker> worker_;
    Monitor::VideoScopeRequest request_;
    std::optional<double> aspectRatio_;
    Monitor::VideoScopeReadings readings_;
};

}  // namespace Quillfen
