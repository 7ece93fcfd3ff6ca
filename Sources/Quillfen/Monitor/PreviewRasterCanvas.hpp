#pragma once
// The preview's drawing through the CPU: the picture converted to RGB at the size it is shown
// (libswscale), the assists drawn into a copy, then turned and mirrored by the painter in
// exact quarter turns.

#include <QImage>
#include <QWidget>

#include "Video/VideoFrameScaler.hpp"

namespace Quillfen::Monitor {

class NetworkPreviewView;

class PreviewRasterCanvas final : public QWidget {
public:
    explicit PreviewRasterCanvas(NetworkPreviewView& view);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NetworkPreviewView& view_;
    Video::VideoFrameScaler scaler_;
    QImage image_;
    QImage withAssists_;                      // image_ with the assists drawn in, while any is on
    Video::DecodedVideoFrameRef imageFrame_;  // what image_ shows
};

}  // namespace Quillfen::Monitor
