#include "Monitor/NetworkPreviewSurface.hpp"

#include <QVBoxLayout>

namespace Quillfen::Monitor {

NetworkPreviewSurface::NetworkPreviewSurface(std::shared_ptr<NetworkVideoRenderer> renderer, QWidget* parent)
    : QWidget(parent), view_(new NetworkPreviewView(std::move(renderer), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
}

}  // namespace Quillfen::Monitor
