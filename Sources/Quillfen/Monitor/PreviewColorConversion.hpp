#pragma once
// Y'CbCr to RGB for the preview's shader: rgb = matrix x (samples x scale - offset), where the
// samples are the textures' normalised values (a byte over 255, a 16-bit word over 65535) and
// the result is R'G'B' from 0 to 1. Follows the picture's own matrix, range and bit depth.

#include <QMatrix3x3>
#include <QVector3D>

#include "Video/DecodedVideoFrame.hpp"

namespace Quillfen::Monitor {

struct PreviewColorConversion {
    QMatrix3x3 matrix;
    QVector3D scale;
    QVector3D offset;
};

PreviewColorConversion previewColorConversion(Video::ColorMatrix matrix, Video::ColorRange range, int bitDepth);

}  // namespace Quillfen::Monitor
