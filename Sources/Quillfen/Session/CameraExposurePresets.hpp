#pragma once
// The standard ISO values and shutter durations that manual exposure snaps to.

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace Quillfen::ExposurePresets {

inline constexpr std::array<double, 28> standardISOValues{25,   32,   40,   50,   64,   80,   100,   125,  160,  200,
                                                          250,  320,  400,  500,  640,  800,  1000,  1250, 1600, 2000,
                                                          2500, 3200, 4000, 5000, 6400, 8000, 10000, 12800};

// Each stands for a duration of 1/denominator seconds. The longest is 1/30 s so that the
// 30 frames per second stream keeps its rate.
inline constexpr std::array<double, 29> standardShutterDenominators{
    30,  40,  48,  50,   60,   80,   100,  120,  125,  160,  200,  240,  250,  320,  400,
    500, 640, 800, 1000, 1250, 1600, 2000, 2500, 3200, 4000, 5000, 6400, 8000, 10000};

// The standard ISO values within the phone's limits, in ascending order. When none lies
// within them, just the minimum, or nothing if the minimum is not a finite number.
std::vector<double> supportedISOValues(double minimum, double maximum);

// The standard durations in seconds within the phone's limits (with a relative tolerance
// of one millionth for rounding on the phone), from long to short. When none lies within
// them, just the minimum, or nothing if the minimum is not a finite positive number.
std::vector<double> supportedShutterDurations(double minimum, double maximum);

// The index of the entry of `in` closest to `to`, the lower index winning ties; 0 for a list
// of fewer than two entries (so check that the list is not empty before using the entry).
std::size_t nearestIndex(double to, std::span<const double> in);

}  // namespace Quillfen::ExposurePresets
