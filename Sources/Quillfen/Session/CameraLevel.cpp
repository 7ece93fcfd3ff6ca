#include "Session/CameraLevel.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace Quillfen {

namespace {

constexpr double degreesPerRadian = 57.29577951308232;
// Below this sine of half the angle the rotation vector uses its small-angle limit.
constexpr double smallAngleSine = 1e-6;

struct Quaternion {
    double x = 0;
    double y = 0;
    double z = 0;
    double w = 1;

    // The Hamilton product: first `right`, then `left`.
    friend Quaternion operator*(const Quaternion& left, const Quaternion& right) {
        return {
            left.w * right.x + left.x * right.w + left.y * right.z - left.z * right.y,
            left.w * right.y - left.x * right.z + left.y * right.w + left.z * right.x,
            left.w * right.z + left.x * right.y - left.y * right.x + left.z * right.w,
            left.w * right.w - left.x * right.x - left.y * right.y - left.z * right.z,
        };
    }

    Quaternion conjugate() const { return {-x, -y, -z, w}; }
    Quaternion negated() const { return {-x, -y, -z, -w}; }

    // The rotation axis scaled by the rotation angle, in radians.
    std::array<double, 3> rotationVector() const {
        const double c = std::clamp(w, -1.0, 1.0);
        const double s = std::sqrt(std::max(1 - c * c, 0.0));
        const double k = s > smallAngleSine ? 2 * std::acos(c) / s : 2;
        return {x * k, y * k, z * k};
    }
};

// The attitude as a unit quaternion. A zero attitude has no direction and one with a
// component that is not a finite number has no meaning; both count as no rotation.
Quaternion normalized(const UmberlinWire::DeviceAttitude& attitude) {
    Quaternion q{attitude.x, attitude.y, attitude.z, attitude.w};
    if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || !std::isfinite(q.w)) return {};
    double norm = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (std::isinf(norm)) {
        // Components so large that their squares overflow: scale down first.
        const double largest = std::max({std::abs(q.x), std::abs(q.y), std::abs(q.z), std::abs(q.w)});
        q = {q.x / largest, q.y / largest, q.z / largest, q.w / largest};
        norm = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    }
    if (!(norm > std::numeric_limits<double>::epsilon())) return {};
    return {q.x / norm, q.y / norm, q.z / norm, q.w / norm};
}

// A rotation in degrees brought to a multiple of 90 within 0...270, truncating toward zero.
int quarterTurnDegrees(int rotationAngleDegrees) {
    int degrees = rotationAngleDegrees / 90 * 90 % 360;
    if (degrees < 0) degrees += 360;
    return degrees;
}

}  // namespace

namespace LevelMath {

CameraLevelReading reading(const UmberlinWire::DeviceAttitude& current, const UmberlinWire::DeviceAttitude& reference,
                           int rotationAngleDegrees) {
    Quaternion relative = normalized(reference).conjugate() * normalized(current);
    // q and -q are the same rotation; take the one that goes the short way round.
    if (relative.w < 0) relative = relative.negated();

    const auto vector = relative.rotationVector();
    const double x = vector[0] * degreesPerRadian;
    const double y = vector[1] * degreesPerRadian;
    const double z = vector[2] * degreesPerRadian;

    switch (quarterTurnDegrees(rotationAngleDegrees)) {
        case 90:
            return {-x, y, z};
        case 180:
            return {-y, -x, z};
        case 270:
            return {x, -y, z};
        default:
            return {y, x, z};
    }
}

}  // namespace LevelMath

}  // namespace Quillfen
