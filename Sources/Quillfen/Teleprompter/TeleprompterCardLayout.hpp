#pragma once
// Where the prompt's card sits over the picture: 90% of the picture's width and 84% of its
// height, kept within 560...1040 by 300...640 points, centred on the picture. The minimums
// let the card reach beyond a small picture.

#include <QRectF>
#include <QSizeF>

#include <optional>

namespace Quillfen {

inline constexpr double teleprompterCardSpacing = 12;  // between the control bar and the text

QSizeF teleprompterCardSize(QSizeF picture);
// The card for an area of `area`'s size showing a picture of `aspectRatio` (width over
// height) aspect-fitted and centred; without a known aspect ratio the picture fills the area.
QRectF teleprompterCardFrame(QSizeF area, std::optional<double> aspectRatio);

}  // namespace Quillfen
