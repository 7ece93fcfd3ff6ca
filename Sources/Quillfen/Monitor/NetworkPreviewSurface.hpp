#pragma once
// NetworkPreviewSurface: what the monitor window places under its overlays. It hosts the
// window renderer's NetworkPreviewView, filling itself, and hands the displayed rotation and
// the two mirror choices on to it.

#include <QWidget>

#include <memory>

#include "Monitor/NetworkPreviewView.hpp"

namespace Quillfen::Monitor {

class NetworkPreviewSurface : public QWidget {
    Q_OBJECT

public:
    explicit NetworkPreviewSurface(std::shared_ptr<NetworkVideoRenderer> renderer, QWidget* parent = nullptr);

    void setRotation(MonitorRotation rotation) { view_->setRotation(rotation); }
    void setHorizontallyMirrored(bool mirrored) { view_->setHorizontallyMirrored(mirrored); }
    void setVerticallyMirrored(bool mirrored) { view_->setVerticallyMirrored(mirrored); }
    void setPictureAssists(const PictureAssistSettings& assists) { view_->setPictureAssists(assists); }

    NetworkPreviewView& view() { return *view_; }

private:
    NetworkPreviewView* view_;
};

}  // namespace Quillfen::Monitor
