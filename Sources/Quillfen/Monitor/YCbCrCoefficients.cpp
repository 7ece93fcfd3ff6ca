#include "Monitor/YCbCrCoefficients.hpp"

#include <cmath>

namespace Quillfen::Monitor {

YCbCrCoefficients yCbCrCoefficients(Video::ColorMatrix matrix, Video::ColorRange range, int bitDepth) {
    const bool bt709 = matrix == Video::ColorMatrix::bt709;
    const float kr = bt709 ? 0.2126f : 0.299f;
    const float kb = bt709 ? 0.0722f : 0.114f;
    const float kg = 1 - kr - kb;

    const float step = std::ldexp(1.0f, bitDepth - 8);  // one 8-bit step at this depth
    const float maximum = std::ldexp(1.0f, bitDepth) - 1;
    float lumaScale, chromaScale, lumaOffset, chromaOffset;
    if (range == Video::ColorRange::limited) {
        lumaScale = 1 / (219 * step);
        chromaScale = 1 / (224 * step);
        lumaOffset = 16 * step * lumaScale;
        chromaOffset = 128 * step * chromaScale;
    } else {
        lumaScale = chromaScale = 1 / maximum;
        lumaOffset = 0;
        chromaOffset = 128 * step * chromaScale;
    }
    return YCbCrCoefficients{
        .matrix = {1, 0, 2 * (1 - kr),                                   //
                   1, -2 * kb * (1 - kb) / kg, -2 * kr * (1 - kr) / kg,  //
                   1, 2 * (1 - kb), 0},
        .scale = {lumaScale, chromaScale, chromaScale},
        .offset = {lumaOffset, chromaOffset, chromaOffset},
    };
}

}  // namespace Quillfen::Monitor
