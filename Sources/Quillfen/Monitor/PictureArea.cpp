#include "Monitor/PictureArea.hpp"

#include <QPalette>

namespace Quillfen {

PictureArea::PictureArea(QWidget* parent) : QWidget(parent) {
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PictureArea::setLayer(PictureLayer depth, QWidget* layer) {
    QWidget*& place = layers_[static_cast<std::size_t>(depth)];
    if (place == layer) return;
    delete place;
    place = layer;
    if (layer) {
        layer->setParent(this);
        layer->setGeometry(rect());
    }
    restack();
}

QWidget* PictureArea::layer(PictureLayer depth) const { return layers_[static_cast<std::size_t>(depth)]; }

void PictureArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* layer : layers_) {
        if (layer) layer->setGeometry(rect());
    }
}

void PictureArea::restack() {
    // Raising each in order leaves the last, the teleprompter, in front.
    for (QWidget* layer : layers_) {
        if (layer) layer->raise();
    }
}

}  // namespace Quillfen
