#pragma once
// How a phone held on its side sends its picture: the sensor's frame with the scene turned in
// it, plus the angle by which the monitor turns the decoded frame clockwise to show the scene
// upright. The test picture is painted the same way, so the simulator looks like a real phone.

#include <utility>

namespace UmberlinTools {

// The clockwise turn that shows the frame's content upright.
enum class QuarterTurn { none, clockwise90, upsideDown, clockwise270 };

// The quarter turn nearest to an angle in degrees, halves away from zero: 44 gives none, 45
// clockwise90, -90 clockwise270, 405 clockwise90.
QuarterTurn nearestQuarterTurn(int degrees);

// Whether the upright scene has the frame's width and height swapped.
inline bool swapsSides(QuarterTurn turn) {
    return turn == QuarterTurn::clockwise90 || turn == QuarterTurn::clockwise270;
}

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The frame rectangle that shows `sceneRect` of an upright scene of sceneWidth x sceneHeight.
PixelRect frameRectOf(const PixelRect& sceneRect, QuarterTurn turn, int sceneWidth, int sceneHeight);

// A point given as fractions of the frame's width and height, as fractions of the upright
// scene's width and height.
std::pair<double, double> scenePointOf(double frameX, double frameY, QuarterTurn turn);

}  // namespace UmberlinTools
