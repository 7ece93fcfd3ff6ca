#pragma once
// Solid rectangles and bitmap text on a planar 4:2:0 picture of 8- or 10-bit samples.

#include <cstdint>
#include <string_view>

#include "HevcEncoder.hpp"

namespace UmberlinTools {

// A colour in 8-bit video-range Y'CbCr; 10-bit pictures get the same colour scaled by 4.
struct YuvColor {
    std::uint8_t y;
    std::uint8_t u;
    std::uint8_t v;
};

class PictureCanvas {
public:
    explicit PictureCanvas(PlanarPicture& picture) : picture_(picture) {}

    int width() const { return picture_.width; }
    int height() const { return picture_.height; }

    // Fills the part of the rectangle that lies inside the picture.
    void fillRect(int x, int y, int width, int height, YuvColor color);
    // Draws text with each font pixel as a scale-by-scale square; returns the drawn width.
    int drawText(int x, int y, int scale, std::string_view text, YuvColor color);
    static int textWidth(int scale, std::string_view text);
    static int textHeight(int scale);

private:
    void fillPlane(int plane, int x0, int y0, int x1, int y1, std::uint8_t value);

    PlanarPicture& picture_;
};

}  // namespace UmberlinTools
