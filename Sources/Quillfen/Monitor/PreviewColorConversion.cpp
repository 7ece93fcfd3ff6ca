#include "Monitor/PreviewColorConversion.hpp"

#include "Monitor/YCbCrCoefficients.hpp"

namespace Quillfen::Monitor {

PreviewColorConversion previewColorConversion(Video::ColorMatrix matrix, Video::ColorRange range, int bitDepth) {
    const YCbCrCoefficients coefficients = yCbCrCoefficients(matrix, range, bitDepth);
    // Code values c from 0 to 2^depth - 1 come out of the textures as c / 255 or c / 65535.
    const float textureMaximum = bitDepth > 8 ? 65535.0f : 255.0f;
    const auto& [scaleY, scaleCb, scaleCr] = coefficients.scale;
    const auto& [offsetY, offsetCb, offsetCr] = coefficients.offset;
    return PreviewColorConversion{
        .matrix = QMatrix3x3(coefficients.matrix.data()),
        .scale = QVector3D(scaleY, scaleCb, scaleCr) * textureMaximum,
        .offset = QVector3D(offsetY, offsetCb, offsetCr),
    };
}

}  // namespace Quillfen::Monitor
