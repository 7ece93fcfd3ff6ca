#include "Monitor/AudioMeterDisplay.hpp"

#include <cmath>

namespace Quillfen::AudioMeterDisplay {

using AudioMeterScale::segmentBoundaries;
using AudioMeterScale::segmentCount;

int illuminatedSegmentCount(double levelDBFS) {
    if (!(levelDBFS > segmentBoundaries.front())) return 0;
    if (levelDBFS >= 0) return segmentCount;
    return AudioMeterScale::segmentIndex(levelDBFS).value_or(-1) + 1;
}

bool isSegmentLit(int index, const AudioMeterReading& reading) {
    return index < illuminatedSegmentCount(reading.levelDBFS) ||
           AudioMeterScale::segmentIndex(reading.peakDBFS) == index;
}

GuideColor segmentColor(int index) {
    const double lowerBoundary = segmentBoundaries.at(static_cast<std::size_t>(index));
    if (lowerBoundary >= -6) return GuideColor::red;
    if (lowerBoundary >= -18) return GuideColor::orange;
    return GuideColor::green;
}

QString levelText(const AudioMeterReading& reading, const AudioMeterStatus& status) {
    if (status.kind() != AudioMeterStatus::Kind::running || !std::isfinite(reading.levelDBFS))
        return QString::fromUtf8("\u2014 dB");
    return QString::asprintf("%+.0f dB", reading.levelDBFS);
}

StatusRow statusRow(const AudioMeterStatus& status) {
    const bool denied = status.kind() == AudioMeterStatus::Kind::denied;
    const auto label = status.meterLabel();
    return StatusRow{denied ? "mic.slash.fill" : "waveform.slash", denied ? GuideColor::red : GuideColor::orange,
                     label ? QString::fromUtf8(label->data(), static_cast<qsizetype>(label->size())) : QString()};
}

}  // namespace Quillfen::AudioMeterDisplay
