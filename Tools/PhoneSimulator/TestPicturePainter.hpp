#pragma once
// The moving test picture: clearly oriented (the word "TOP", an arrow pointing up, a red
// top-left and a blue top-right corner, "L" and "R" at the sides) so that rotation and
// mirroring show in any screenshot, plus a sweeping bar, a frame counter and a clock so that
// motion and dropped frames show too. Like a phone held on its side, the scene can lie turned
// in the frame: turning the frame clockwise by the painter's quarter turn shows it upright.
// The exposure chart adds, at the left, a ramp from black to past white, a clipped patch and
// a bright patch whose sides fade over a twelfth of the short side (soft) while its top and
// bottom are hard (sharp).

#include <cstdint>
#include <optional>
#include <string>

#include "MediaSupport/HevcEncoder.hpp"
#include "QuarterTurn.hpp"

namespace UmberlinTools {

struct TestPictureContent {
    std::int64_t frameNumber = 0;
    double secondsSinceStart = 0;
    std::string cameraLine;  // e.g. "ISO 100 1/60 EV +0.0"
    // Where the camera focuses, as fractions of the frame's width and height (the phone's own
    // picture coordinates, whatever the turn).
    std::optional<double> focusPointX;
    std::optional<double> focusPointY;
};

class TestPicturePainter {
public:
    explicit TestPicturePainter(QuarterTurn contentTurn = QuarterTurn::none, bool exposureChart = false)
        : contentTurn_(contentTurn), exposureChart_(exposureChart) {}

    void paint(PlanarPicture& picture, const TestPictureContent& content) const;

private:
    QuarterTurn contentTurn_;
    bool exposureChart_;
};

}  // namespace UmberlinTools
