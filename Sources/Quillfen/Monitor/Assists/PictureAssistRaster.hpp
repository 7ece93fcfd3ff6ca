#pragma once
// The assists drawn through the CPU, and the reference the shader is held to: each pixel of
// an image showing a decoded picture (scaled to the image's size) takes false colour, zebra
// stripes and peaking outlines from the picture's own luma sample under it.

#include <QImage>

#include "Monitor/Assists/PictureAssistSettings.hpp"
#include "Video/DecodedVideoFrame.hpp"

namespace Quillfen::Monitor {

// `image` is RGB32 and shows `frame` upright; `seconds` moves the zebra stripes.
void drawPictureAssists(const Video::DecodedVideoFrame& frame, const PictureAssistSettings& settings, double seconds,
                        QImage& image);

}  // namespace Quillfen::Monitor
