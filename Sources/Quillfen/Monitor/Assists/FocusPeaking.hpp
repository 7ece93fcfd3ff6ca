#pragma once
// Focus peaking: a pixel is on a sharp edge when the luma changes steeply across it, measured
// on the picture's own pixels (not the smaller view), so a soft 4K picture does not pass for
// sharp in a small window. The measure is the larger of the horizontal and vertical central
// differences of the level, halved: a hard black-to-white edge measures 0.5 on its two
// pixels, the same edge spread over ten pixels 0.1.
//
// A shown pixel covers a footprint of picture pixels (4 x 4 for a 4K picture in a 960-pixel
// view) and shows the strongest edge among up to 3 x 3 of them, spaced so that of any two
// neighbouring picture pixels one is measured while the footprint is at most 6 wide: a
// sharp edge, two pixels wide, is never lost between them.

namespace Quillfen::Monitor {

// Levels of the four neighbours of a pixel.
double focusEdgeStrength(double left, double right, double above, double below);

// The strength from which an edge is outlined: 0.32 at sensitivity 0 down to 0.02 at 100.
double focusPeakingThreshold(int sensitivityPercent);

inline constexpr int peakingSamplesAcross = 3;
// Positions a shader interpolates can fall a hair short of a whole pixel.
inline constexpr double peakingPositionSlack = 0.01;
// Picture pixels between the measured ones, for a footprint this many picture pixels wide.
double peakingStride(double footprint);
// Whether the `step`th measured pixel (from 0) lies within the footprint.
bool isPeakingStepInside(int step, double stride, double footprint);
// The picture pixel measured at `step`, for a footprint beginning at `start` (in pixels).
int peakingSampleIndex(double start, int step, double stride);

}  // namespace Quillfen::Monitor
