#pragma once
// How a picture writes its luma: the code values of its bit depth, in limited range (black
// at 16, white at 235, scaled up by 4 at 10 bits) or full range (0 to 2^depth - 1). Levels
// are fractions of that range: 0 black, 1 nominal white (limited range reaches past both).

namespace Quillfen::Monitor {

struct LumaCoding {
    int bitDepth = 8;
    bool isFullRange = false;

    double level(double code) const;
    // The codes that fall at or above `level`, or at or below it; as a code between 0 and
    // the depth's largest code + 1 (above every code) or - 1 (below every code).
    int lowestCodeAtOrAbove(double level) const;
    int highestCodeAtOrBelow(double level) const;
    int largestCode() const { return (1 << bitDepth) - 1; }

private:
    double black() const;
    double span() const;  // codes from black to nominal white
};

}  // namespace Quillfen::Monitor
