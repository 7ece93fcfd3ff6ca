#include "QuarterTurn.hpp"

#include <cmath>

namespace UmberlinTools {

QuarterTurn nearestQuarterTurn(int degrees) {
    const long quarters = std::lround(degrees / 90.0);  // halves away from zero
    return static_cast<QuarterTurn>((quarters % 4 + 4) % 4);
}

// Turning the frame clockwise by the turn brings frame point (x, y) to scene point (X, Y):
// clockwise90: (frameHeight - y, x); upsideDown: (frameWidth - x, frameHeight - y);
// clockwise270: (y, frameWidth - x). Below are the inverses, on rectangle edges.
PixelRect frameRectOf(const PixelRect& r, QuarterTurn turn, int sceneWidth, int sceneHeight) {
    switch (turn) {
        case QuarterTurn::none:
            return r;
        case QuarterTurn::clockwise90:
            return {r.y, sceneWidth - r.x - r.width, r.height, r.width};
        case QuarterTurn::upsideDown:
            return {sceneWidth - r.x - r.width, sceneHeight - r.y - r.height, r.width, r.height};
        case QuarterTurn::clockwise270:
            return {sceneHeight - r.y - r.height, r.x, r.height, r.width};
    }
    return r;
}

std::pair<double, double> scenePointOf(double frameX, double frameY, QuarterTurn turn) {
    switch (turn) {
        case QuarterTurn::none:
            return {frameX, frameY};
        case QuarterTurn::clockwise90:
            return {1.0 - frameY, frameX};
        case QuarterTurn::upsideDown:
            return {1.0 - frameX, 1.0 - frameY};
        case QuarterTurn::clockwise270:
            return {frameY, 1.0 - frameX};
    }
    return {frameX, frameY};
}

}  // namespace UmberlinTools
