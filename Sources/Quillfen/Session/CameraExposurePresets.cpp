#include "Session/CameraExposurePresets.hpp"

#include <cmath>

namespace Quillfen::ExposurePresets {

namespace {

constexpr double lowerDurationTolerance = 0.999999;
constexpr double upperDurationTolerance = 1.000001;

}  // namespace

std::vector<double> supportedISOValues(double minimum, double maximum) {
    std::vector<double> values;
    for (const double iso : standardISOValues) {
        if (minimum <= iso && iso <= maximum) values.push_back(iso);
    }
    if (values.empty() && std::isfinite(minimum)) values.push_back(minimum);
    return values;
}

std::vector<double> supportedShutterDurations(double minimum, double maximum) {
    std::vector<double> durations;
    for (const double denominator : standardShutterDenominators) {
        const double duration = 1 / denominator;
        if (minimum * lowerDurationTolerance <= duration && duration <= maximum * upperDurationTolerance) {
            durations.push_back(duration);
        }
    }
    if (durations.empty() && std::isfinite(minimum) && minimum > 0) durations.push_back(minimum);
    return durations;
}

std::size_t nearestIndex(double to, std::span<const double> in) {
    if (in.size() < 2) return 0;
    std::size_t nearest = 0;
    double nearestDistance = std::abs(in[0] - to);
    for (std::size_t index = 1; index < in.size(); ++index) {
        const double distance = std::abs(in[index] - to);
        if (distance < nearestDistance) {
            nearest = index;
            nearestDistance = distance;
        }
    }
    return nearest;
}

}  // namespace Quillfen::ExposurePresets
