#include "Monitor/CameraLevelDisplay.hpp"

#include <algorithm>
#include <cmath>

namespace Quillfen::CameraLevelDisplay {

namespace {

constexpr double levelTolerance = 0.5;
constexpr double largestShownAngle = 5;

double bubbleDistance(double degrees) {
    return std::clamp(degrees, -largestShownAngle, largestShownAngle) / largestShownAngle * bubbleTravel;
}

}  // namespace

QString placeholderText(bool hasTelemetry) {
    return hasTelemetry ? "Set a level reference" : "Waiting for phone motion data";
}

QString anglesText(const CameraLevelReading& reading) {
    return QString::asprintf("H %+.1f\u00B0   V %+.1f\u00B0   R %+.1f\u00B0", reading.horizontalDegrees,
                             reading.verticalDegrees, reading.rollDegrees);
}

GuideColor indicatorColor(const CameraLevelReading& reading) {
    const bool level = std::abs(reading.horizontalDegrees) < levelTolerance &&
                       std::abs(reading.verticalDegrees) < levelTolerance &&
                       std::abs(reading.rollDegrees) < levelTolerance;
    return level ? GuideColor::green : GuideColor::orange;
}

QPointF bubbleOffset(const CameraLevelReading& reading) {
    return {bubbleDistance(reading.horizontalDegrees), bubbleDistance(reading.verticalDegrees)};
}

}  // namespace Quillfen::CameraLevelDisplay
