#pragma once
// The preview's drawing through the CPU: the picture converted to RGB at the size it is shown
// (libswscale), then turned and mirrored by the painter in exact quarter turns.

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
    Video::DecodedVideoFrameRef imageFrame_;  // what image_ shows
};

}  // namespace Quillfen::Monitor
