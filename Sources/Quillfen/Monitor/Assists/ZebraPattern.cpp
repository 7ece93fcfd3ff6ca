#include "Monitor/Assists/ZebraPattern.hpp"

#include <cmath>

namespace Quillfen::Monitor {

ZebraBands zebraBands(const PictureAssistSettings& requested, LumaCoding coding) {
    const PictureAssistSettings settings = requested.clamped();
    const double none = coding.largestCode() + 1.0;
    ZebraBands bands{none, none, -1};
    if (!settings.showsZebras) return bands;
    bands.highlightFrom = coding.lowestCodeAtOrAbove(settings.zebraThresholdPercent / 100.0) - 0.5;
    if (settings.showsSkinZebras) {
        const int low = settings.skinLevelPercent - PictureAssistSettings::skinBandHalfWidth;
        const int high = settings.skinLevelPercent + PictureAssistSettings::skinBandHalfWidth;
        bands.skinFrom = coding.lowestCodeAtOrAbove(low / 100.0) - 0.5;
        bands.skinTo = coding.highestCodeAtOrBelow(high / 100.0) + 0.5;
    }
    return bands;
}

ZebraBand zebraBand(double code, const ZebraBands& bands) {
    if (code > bands.highlightFrom) return ZebraBand::highlight;
    if (code > bands.skinFrom && code < bands.skinTo) return ZebraBand::skin;
    return ZebraBand::none;
}

bool isOnZebraStripe(ZebraBand band, double x, double y, double seconds) {
    if (band == ZebraBand::none) return false;
    const double across = band == ZebraBand::highlight ? x + y : x - y;
    const double phase = across / zebraStripePeriod - seconds * zebraPeriodsPerSecond;
    return phase - std::floor(phase) < zebraStripeDuty;
}

}  // namespace Quillfen::Monitor
