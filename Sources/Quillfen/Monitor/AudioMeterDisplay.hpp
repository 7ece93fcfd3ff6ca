#pragma once
// What the LED meter over the picture shows for a reading: which of its segments are lit,
// their colours, the level text and, when there is nothing to meter, the status row.

#include <QString>

#include "Monitor/GuideStyle.hpp"
#include "Reception/AudioMeter.hpp"

namespace Quillfen::AudioMeterDisplay {

// How many segments from the bottom the level lights: none at -60 dBFS or below, all at 0
// or above.
int illuminatedSegmentCount(double levelDBFS);
// Segments below the illuminated count are lit, and so is the one holding the held peak.
bool isSegmentLit(int index, const AudioMeterReading& reading);
// By the segment's lower boundary: red from -6 dB, orange from -18 dB, green below.
GuideColor segmentColor(int index);

// "-12 dB" while metering, "— dB" otherwise.
QString levelText(const AudioMeterReading& reading, const AudioMeterStatus& status);

// The row shown instead of the segments when the status is not running.
struct StatusRow {
    QString symbol;  // "mic.slash.fill" or "waveform.slash"
    GuideColor color;
    QString text;  // the status's meter label
};
StatusRow statusRow(const AudioMeterStatus& status);

}  // namespace Quillfen::AudioMeterDisplay
