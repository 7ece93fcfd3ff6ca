// Turns a decoded picture into 32-bit RGB of any size with libswscale, for screens that draw
// without OpenGL. The conversion follows the picture's own colour matrix and range, and is cut
// into slices converted on two threads: the same CPU time, about half the wait for the picture.
#pragma once

#include <cstdint>

#include "Video/DecodedVideoFrame.hpp"

struct SwsContext;

namespace Video {

class VideoFrameScaler {
public:
    VideoFrameScaler() = default;
    ~VideoFrameScaler();
    VideoFrameScaler(const VideoFrameScaler&) = delete;
    VideoFrameScaler& operator=(const VideoFrameScaler&) = delete;

    // Writes width x height pixels of 0xffRRGGBB in native byte order (Qt's RGB32) to
    // `destination`, rows `stride` bytes apart. False when libswscale cannot convert.
    bool scale(const DecodedVideoFrame& frame, int width, int height, std::uint8_t* destination, int stride);

private:
    // What the context was made for; a picture that differs in any of these makes a new one.
    struct Conversion {
        int sourceWidth = 0;
        int sourceHeight = 0;
        int sourceFormat = -1;
        int width = 0;
        int height = 0;
        ColorMatrix matrix = ColorMatrix::bt709;
        ColorRange range = ColorRange::limited;
        bool operator==(const Conversion&) const = default;
    };
    bool prepare(const Conversion& conversion);

    SwsContext* context_ = nullptr;
    Conversion conversion_;
};

}  // namespace Video
