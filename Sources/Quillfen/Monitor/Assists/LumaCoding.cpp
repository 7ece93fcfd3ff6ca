#include "Monitor/Assists/LumaCoding.hpp"

#include <algorithm>
#include <cmath>

namespace Quillfen::Monitor {
namespace {

// Levels are whole percentages turned into fractions, so a code that meets a level exactly
// must not be lost to rounding.
constexpr double slack = 1e-9;

}  // namespace

double LumaCoding::black() const { return isFullRange ? 0 : std::ldexp(16.0, bitDepth - 8); }

double LumaCoding::span() const { return isFullRange ? largestCode() : std::ldexp(219.0, bitDepth - 8); }

double LumaCoding::level(double code) const { return (code - black()) / span(); }

int LumaCoding::lowestCodeAtOrAbove(double level) const {
    const double code = std::ceil(black() + level * span() - slack);
    return static_cast<int>(std::clamp(code, 0.0, largestCode() + 1.0));
}

int LumaCoding::highestCodeAtOrBelow(double level) const {
    const double code = std::floor(black() + level * span() + slack);
    return static_cast<int>(std::clamp(code, -1.0, static_cast<double>(largestCode())));
}

}  // namespace Quillfen::Monitor
