// Turns a decoded picture into 32-bit RGB of any size with libswscale, for screens that draw
// without OpenGL. The conversion follows the picture's own colour matrix and range.
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
    SwsContext* context_ = nullptr;
};

}  // namespace Video
