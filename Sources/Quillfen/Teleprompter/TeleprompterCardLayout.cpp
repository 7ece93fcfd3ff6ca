#include "Teleprompter/TeleprompterCardLayout.hpp"

#include <algorithm>

namespace Quillfen {

QSizeF teleprompterCardSize(QSizeF picture) {
    return {std::clamp(picture.width() * 0.9, 560.0, 1040.0), std::clamp(picture.height() * 0.84, 300.0, 640.0)};
}

QRectF teleprompterCardFrame(QSizeF area, std::optional<double> aspectRatio) {
    QSizeF picture = area;
    if (aspectRatio && *aspectRatio > 0 && !area.isEmpty())
        picture = QSizeF(*aspectRatio, 1).scaled(area, Qt::KeepAspectRatio);
    QRectF card(QPointF(), teleprompterCardSize(picture));
    card.moveCenter(QPointF(area.width() / 2, area.height() / 2));
    return card;
}

}  // namespace Quillfen
