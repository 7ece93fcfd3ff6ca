#pragma once
// Solid rectangles and bitmap text on a planar 4:2:0 picture of 8- or 10-bit samples. Drawing
// happens in the upright scene's coordinates; the scene lies in the picture turned so that
// turning the picture clockwise by `contentTurn` shows it upright (for quarter turns the scene
// is the picture's height wide and its width high).

#include <cstdint>
#include <string_view>

#include "MediaSupport/HevcEncoder.hpp"
#include "QuarterTurn.hpp"

namespace UmberlinTools {

// A colour in 8-bit video-range Y'CbCr; 10-bit pictures get the same colour scaled by 4.
struct YuvColor {
    std::uint8_t y;
    std::uint8_t u;
    std::uint8_t v;
};

class PictureCanvas {
public:
    explicit PictureCanvas(PlanarPicture& picture, QuarterTurn contentTurn = QuarterTurn::none)
        : picture_(picture), contentTurn_(contentTurn) {}

    // The upright scene's size.
    int width() const { return swapsSides(contentTurn_) ? picture_.height : picture_.width; }
    int height() const { return swapsSides(contentTurn_) ? picture_.width : picture_.height; }

    // Fills the part of the rectangle that lies inside the scene.
    void fillRect(int x, int y, int width, int height, YuvColor color);
    // Draws text with each font pixel as a scale-by-scale square; returns the drawn width.
    int drawText(int x, int y, int scale, std::string_view text, YuvColor color);
    static int textWidth(int scale, std::string_view text);
    static int textHeight(int scale);

private:
    void fillPlane(int plane, int x0, int y0, int x1, int y1, std::uint8_t value);

    PlanarPicture& picture_;
    QuarterTurn contentTurn_;
};

}  // namespace UmberlinTools
