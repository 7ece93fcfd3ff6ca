#include "Monitor/Assists/PictureAssistSettings.hpp"

#include <algorithm>

namespace Quillfen::Monitor {

PictureAssistSettings PictureAssistSettings::clamped() const {
    PictureAssistSettings settings = *this;
    settings.zebraThresholdPercent = std::clamp(zebraThresholdPercent, minimumZebraThreshold, maximumZebraThreshold);
    settings.skinLevelPercent = std::clamp(skinLevelPercent, skinBandHalfWidth, 100 - skinBandHalfWidth);
    settings.peakingSensitivityPercent = std::clamp(peakingSensitivityPercent, 0, 100);
    return settings;
}

const PeakingColorInfo& peakingColorInfo(PeakingColor color) {
    for (const auto& info : peakingColors) {
        if (info.color == color) return info;
    }
    return peakingColors.front();
}

}  // namespace Quillfen::Monitor
