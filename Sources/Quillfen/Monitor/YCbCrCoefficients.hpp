#pragma once
// Y'CbCr code values to R'G'B' from 0 to 1, following a picture's own matrix, range and bit
// depth: (Y', Cb, Cr) = code x scale - offset, with Y' from 0 (black) to 1 (white) and Cb, Cr
// from -0.5 to 0.5; then rgb = matrix x (Y', Cb, Cr). The preview's shader and the scopes
// both work from these.

#include <array>

#include "Video/DecodedVideoFrame.hpp"

namespace Quillfen::Monitor {

struct YCbCrCoefficients {
    std::array<float, 9> matrix;  // row by row
    std::array<float, 3> scale;   // per code value
    std::array<float, 3> offset;
};

YCbCrCoefficients yCbCrCoefficients(Video::ColorMatrix matrix, Video::ColorRange range, int bitDepth);

}  // namespace Quillfen::Monitor
