#include "Teleprompter/TeleprompterAppearance.hpp"

#include <algorithm>
#include <cmath>

namespace Quillfen {

QString rawValue(TeleprompterTextAlignment alignment) {
    return alignment == TeleprompterTextAlignment::center ? "center" : "leading";
}

QString pickerLabel(TeleprompterTextAlignment alignment) {
    return alignment == TeleprompterTextAlignment::center ? "Centre" : "Left";
}

TeleprompterTextAlignment teleprompterTextAlignment(const QString& rawValue) {
    return rawValue == "center" ? TeleprompterTextAlignment::center : TeleprompterTextAlignment::leading;
}

TeleprompterAppearance withinRanges(const TeleprompterAppearance& appearance) {
    const TeleprompterAppearance defaults;
    const auto within = [](double value, const TeleprompterValueRange& range, double fallback) {
        return std::isnan(value) ? fallback : std::clamp(value, range.minimum, range.maximum);
    };
    TeleprompterAppearance drawn = appearance;
    drawn.textSize = within(appearance.textSize, textSizeRange, defaults.textSize);
    drawn.shadowStrength = within(appearance.shadowStrength, shadowStrengthRange, defaults.shadowStrength);
    drawn.backdropOpacity = within(appearance.backdropOpacity, backdropOpacityRange, defaults.backdropOpacity);
    drawn.lineSpacing = within(appearance.lineSpacing, lineSpacingRange, defaults.lineSpacing);
    return drawn;
}

QString pointsLabel(double points) { return QString::number(std::llround(points)) + " pt"; }

QString percentLabel(double fraction) { return QString::number(std::llround(fraction * 100)) + "%"; }

QString speedLabel(double multiplier, const QLocale& locale) {
    return locale.toString(multiplier, 'f', 1) + QString::fromUtf8("\u00D7");
}

}  // namespace Quillfen
