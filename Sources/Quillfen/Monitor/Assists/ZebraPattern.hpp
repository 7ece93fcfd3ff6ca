#pragma once
// Zebras: stripes over the pixels whose luma is at or above the threshold (dark stripes
// rising to the right) and, when the skin band is on, over those within its level ± 5 %
// (stripes falling to the right). The stripes drift slowly, so they are never taken for
// the picture. The bands are in code values, half-way between two codes, so the shader's
// rounding cannot move a pixel across a band's edge.

#include "Monitor/Assists/LumaCoding.hpp"
#include "Monitor/Assists/PictureAssistSettings.hpp"

namespace Quillfen::Monitor {

enum class ZebraBand { none, highlight, skin };

struct ZebraBands {
    double highlightFrom;  // codes above this are highlights
    double skinFrom;       // codes between these are skin (an empty band when off)
    double skinTo;
};

// Bands that match no code when zebras are off.
ZebraBands zebraBands(const PictureAssistSettings& settings, LumaCoding coding);
ZebraBand zebraBand(double code, const ZebraBands& bands);

inline constexpr double zebraStripePeriod = 16;  // pixels, across the stripes' diagonal
inline constexpr double zebraStripeDuty = 0.4;   // the dark share of a period
inline constexpr double zebraPeriodsPerSecond = 0.5;
inline constexpr float zebraStripeShade = 0.08f;  // the stripes' grey level

// Whether the shown picture's pixel centred at (x, y) (pixels from its top left) lies on a
// stripe of `band` at `seconds`.
bool isOnZebraStripe(ZebraBand band, double x, double y, double seconds);

}  // namespace Quillfen::Monitor
