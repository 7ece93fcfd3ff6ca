#include "Monitor/Assists/FocusPeaking.hpp"

#include <algorithm>
#include <cmath>

namespace Quillfen::Monitor {
double focusEdgeStrength(double left, double right, double above, double below) {
    return std::max(std::abs(right - left), std::abs(below - above)) / 2;
}

double focusPeakingThreshold(int sensitivityPercent) {
    return 0.02 + 0.30 * (1 - std::clamp(sensitivityPercent, 0, 100) / 100.0);
}

double peakingStride(double footprint) { return std::max(1.0, std::ceil(footprint / peakingSamplesAcross - 1e-6)); }

bool isPeakingStepInside(int step, double stride, double footprint) { return step == 0 || step * stride < footprint; }

int peakingSampleIndex(double start, int step, double stride) {
    return static_cast<int>(std::floor(start + step * stride + peakingPositionSlack));
}

}  // namespace Quillfen::Monitor
