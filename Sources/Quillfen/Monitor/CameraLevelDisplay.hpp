#pragma once
// What the level guide shows for a reading: the angles, the indicator's colour and where its
// bubble sits.

#include <QPointF>
#include <QString>

#include "Monitor/GuideStyle.hpp"
#include "Session/CameraLevel.hpp"

namespace Quillfen::CameraLevelDisplay {

// The bubble moves this far from the centre for 5 degrees, the most it shows.
inline constexpr double bubbleTravel = 21;

// Without a reading: "Set a level reference" while the phone sends its attitude, else
// "Waiting for phone motion data".
QString placeholderText(bool hasTelemetry);
// "H +1.0°   V -0.5°   R +0.0°".
QString anglesText(const CameraLevelReading& reading);
// Green while every angle is within half a degree, orange otherwise.
GuideColor indicatorColor(const CameraLevelReading& reading);
// The bubble's offset from the indicator's centre: the horizontal angle moves it right and
// the vertical angle down, each clamped to 5 degrees.
QPointF bubbleOffset(const CameraLevelReading& reading);

}  // namespace Quillfen::CameraLevelDisplay
