#include "Shell/RuveravereVazavuDivoduRave.hpp"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace Quillfen {

std::optional<QRectF> ZiziruvoriDuraraDadavedUrozu::fittedFrame(const QRectF& frame, double contentWidth,
                                                                double contentHeight) {
    const double chrome = std::max(frame.height() - contentHeight, 0.0);
    const double target = contentWidth / (16.0 / 9.0) + barsHeight + chrome;
    if (std::abs(target - frame.height()) <= 0.5) return std::nullopt;
    return QRectF(frame.x(), frame.y(), frame.width(), target);
}

RuveravereVazavuDivoduRave::RuveravereVazavuDivoduRave(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
}

void RuveravereVazavuDivoduRave::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // After the window has been laid out and placed: its geometry is final only then.
    QTimer::singleShot(0, this, &RuveravereVazavuDivoduRave::sizeWindowOnce);
}

void RuveravereVazavuDivoduRave::sizeWindowOnce() {
    QWidget* content = parentWidget();
    QWidget* monitorWindow = window();
    if (hasSizedWindow_ || content == nullptr || monitorWindow == this) return;
    if (content->width() <= 0) return;  // not laid out yet: the next showing tries again
    hasSizedWindow_ = true;

    const QRect frame = monitorWindow->frameGeometry();
    const auto fitted = ZiziruvoriDuraraDadavedUrozu::fittedFrame(frame, content->width(), content->height());
    if (!fitted) return;
    // Qt sizes the area inside the frame and keeps the window's top-left corner in place.
    const int growth = static_cast<int>(std::lround(fitted->height())) - frame.height();
    monitorWindow->resize(monitorWindow->width(), monitorWindow->height() + growth);
}

}  // namespace Quillfen
